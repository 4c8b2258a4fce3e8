// lanterna-cli add, remove and rename: a library edited in place through the library writer.
#include <cstdio>
#include <cstring>

#include "cli/cli_common.h"
#include "cli/library_entries.h"
#include "cli/member_names.h"
#include "slide/library_edit.h"
#include "slide/library_writer.h"

namespace lanterna {

namespace {

const char kAddHelp[] =
    "usage: lanterna-cli add LIBRARY ENTRY... [--replace]\n"
    "\n"
    "Appends slides to the slide library LIBRARY, after its members. An ENTRY is a slide FILE\n"
    "(the member is named after its base name, cut at the first \".\" and to 31 characters),\n"
    "LIB,MEMBER (keeping the member's name) or a whole LIB (every member). A name already in\n"
    "LIBRARY (compared in upper case, as members are looked up) is an error, unless --replace:\n"
    "then the new slide takes that member's place.\n"
    "\n"
    "  --replace  replace members of the same name instead of refusing them\n";

const char kRemoveHelp[] =
    "usage: lanterna-cli remove LIBRARY MEMBER...\n"
    "\n"
    "Removes the named members (in any case) from the slide library LIBRARY; the others keep\n"
    "their order. A library left with no member is still a valid, empty library.\n";

const char kRenameHelp[] =
    "usage: lanterna-cli rename LIBRARY OLD NEW\n"
    "\n"
    "Renames the member OLD (in any case) of the slide library LIBRARY to NEW, in its place.\n"
    "NEW is stored in the code page of --names (by default as it is): 1 to 31 bytes without\n"
    "control characters, blanks or commas, and no other member may have it (compared in\n"
    "upper case).\n";

const char kEditTail[] =
    "\n"
    "The library is rewritten through a temporary file of its own beside it and renamed over\n"
    "it in one step (through a symbolic link, its target; mode, owner and group kept). On any\n"
    "failure (a source that cannot be read or is cut short, a missing member, a name clash, a\n"
    "library you may not write, a write error) LIBRARY is left byte for byte as it was.\n"
    "Exit status: 0 written, 1 nothing changed because of a failure, 2 usage.\n";

int EditHelp(const char* text) {
  std::fputs(text, stdout);
  std::fputs(kEditTail, stdout);
  return kExitOk;
}

int Refuse(const std::string& library, const std::string& problem) {
  Complain("lanterna-cli: %s: %s; left as it was\n", library.c_str(), problem.c_str());
  return kExitFailed;
}

// Writes plan over library, keeping its names; reports the outcome.
int WritePlan(const std::string& library, LibraryPlan& plan) {
  const LibraryWriteResult r = WriteSlideLibrary(nullptr, library, plan.list, false, &plan.names);
  if (!r.written) {
    for (const EntryFailure& f : r.failures) ReportFailure(plan.list[f.entry], f.result);
    if (r.ioError)
      Complain("lanterna-cli: %s: %s\n", (r.temporary.empty() ? library : r.temporary).c_str(),
               std::strerror(r.ioError));
    return Refuse(library, "not written");
  }
  Complain("lanterna-cli: %s: %zu members written\n", library.c_str(), plan.names.size());
  return kExitOk;
}

// Splits the arguments into plain ones and the flag; false for another option.
bool SplitArgs(const Args& args, const char* flag, Args* plain, bool* flagSeen) {
  for (const std::string& a : args) {
    if (flag && a == flag)
      *flagSeen = true;
    else if (a.size() > 1 && a[0] == '-')
      return false;
    else
      plain->push_back(a);
  }
  return true;
}

}  // namespace

int AddCommand(const Args& args) {
  if (WantsHelp(args)) return EditHelp(kAddHelp);
  Args plain;
  bool replace = false;
  if (!SplitArgs(args, "--replace", &plain, &replace)) return Usage("add: unknown option");
  if (plain.size() < 2) return Usage("add needs a library and at least one entry");
  const std::string& library = plain[0];
  std::vector<std::string> entries, names;
  for (size_t i = 1; i < plain.size(); ++i)
    if (!AddEntries(plain[i], &entries)) return Refuse(library, "nothing added");
  if (!EntryNames(entries, &names) || !CompleteEntries(entries))
    return Refuse(library, "nothing added");
  LibraryPlan plan;
  std::string problem = ReadLibraryPlan(library, &plan);
  if (problem.empty()) problem = PlanAdd(&plan, entries, replace, &names);
  return problem.empty() ? WritePlan(library, plan) : Refuse(library, problem);
}

int RemoveCommand(const Args& args) {
  if (WantsHelp(args)) return EditHelp(kRemoveHelp);
  Args plain;
  if (!SplitArgs(args, nullptr, &plain, nullptr)) return Usage("remove: unknown option");
  if (plain.size() < 2) return Usage("remove needs a library and at least one member");
  const std::string& library = plain[0];
  LibraryPlan plan;
  std::string problem = ReadLibraryPlan(library, &plan);
  Args members;
  for (size_t i = 1; i < plain.size(); ++i) members.push_back(StoredMemberName(library, plain[i]));
  if (problem.empty()) problem = PlanRemove(&plan, members);
  return problem.empty() ? WritePlan(library, plan) : Refuse(library, problem);
}

int RenameCommand(const Args& args) {
  if (WantsHelp(args)) return EditHelp(kRenameHelp);
  Args plain;
  if (!SplitArgs(args, nullptr, &plain, nullptr)) return Usage("rename: unknown option");
  if (plain.size() != 3) return Usage("rename needs a library, a member and its new name");
  const std::string& library = plain[0];
  std::string newName, problem;
  if (!NewMemberName(plain[2], &newName, &problem)) return Refuse(library, problem);
  LibraryPlan plan;
  problem = ReadLibraryPlan(library, &plan);
  if (problem.empty()) problem = PlanRename(&plan, StoredMemberName(library, plain[1]), newName);
  return problem.empty() ? WritePlan(library, plan) : Refuse(library, problem);
}

}  // namespace lanterna
