// The licence notice printed under the version line (lanterna-cli --version, lanterna --version).
#pragma once

namespace lanterna {

inline constexpr char kLicenseNotice[] =
    "License GPL-3.0-or-later: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

}  // namespace lanterna
