// Single instance: a running viewer listens on a per-user local socket named after its frame
// class; a second start hands its command line over and ends.
#pragma once

#include <QLocalServer>
#include <string>

namespace lanterna {

// The display without its screen number: "host:81.0" and "host:81" are one display.
std::string DisplayOfScreen(const std::string& display);

// The socket's name, one per user and display: in the user's runtime directory when there is
// one.
std::string InstanceSocketName();

// The command line as a name the running viewer can open from its own directory: surrounding
// quotes removed, a relative name made absolute against the given directory.
std::string AbsoluteCommandLine(const std::string& commandLine, const std::string& directory);

// True when a running viewer took the command line (an empty one only raises its frame).
bool HandOverToRunningInstance(const std::string& commandLine, int timeoutMs = 10000);

// Listens for hand-overs and passes each to the frame as the open-by-name request 1029.
class InstanceServer {
 public:
  InstanceServer();
  ~InstanceServer();
  bool Listening() const { return server_.isListening(); }

 private:
  QLocalServer server_;
};

}  // namespace lanterna
