// The words for a slide that cannot be read, shared by lanterna-cli and the web pages.
#pragma once

#include <cstdint>
#include <string>

#include "output/slide_name.h"

namespace lanterna {

// Why the loader gave a negative result, naming the slide ("NAME: not a slide"); kind is the
// kind the name stands for (an unknown kind and a library without a member are told apart).
std::string LoaderFailureText(const SlideName& name, int kind, int32_t result);
// Why a library listing ended early ("NAME: not a slide library"); empty when it did not or
// when the engine has said so itself.
std::string ListingFailureText(const std::string& library);

constexpr char kNothingToDraw[] = "nothing to draw";
constexpr char kEndsEarly[] = "the data ends early; the picture shows what there is";

}  // namespace lanterna
