#include "shell/instance.h"

#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QLocalSocket>
#include <QTimer>
#include <cctype>

#include "shell/frame.h"
#include "shell/handover_request.h"
#include "shell/shell_state.h"

namespace lanterna {

namespace {
constexpr int kRequestTimeoutMs = 10000;
}  // namespace

std::string DisplayOfScreen(const std::string& display) {
  // host:81.0 and host:81 are one display (screen 0 of it): the ".screen" after the number goes.
  const size_t colon = display.rfind(':');
  const size_t dot = display.rfind('.');
  if (colon == std::string::npos || dot == std::string::npos || dot < colon) return display;
  for (size_t i = dot + 1; i < display.size(); ++i)
    if (!std::isdigit(static_cast<unsigned char>(display[i]))) return display;
  return display.substr(0, dot);
}

std::string InstanceSocketName() {
  // One viewer per user and display: a start on another display opens a viewer there.
  QByteArray display = qgetenv("WAYLAND_DISPLAY");
  if (display.isEmpty()) display = qgetenv("DISPLAY");
  std::string shownOn;
  for (char c : DisplayOfScreen(display.toStdString()))
    shownOn += (std::isalnum(static_cast<unsigned char>(c)) || c == '.') ? c : '_';
  const std::string name = std::string(kFrameClass) + "-" + std::to_string(::getuid()) +
                           (shownOn.empty() ? "" : "-" + shownOn);
  const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
  if (!runtime.isEmpty()) return runtime.toStdString() + "/" + name;
  return name;
}

std::string AbsoluteCommandLine(const std::string& commandLine, const std::string& directory) {
  std::string name = commandLine;
  if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
    name = name.substr(1, name.size() - 2);
  if (name.empty() || name.front() == '/') return name;
  return QDir::cleanPath(
             QDir(QString::fromStdString(directory)).absoluteFilePath(QString::fromStdString(name)))
      .toStdString();
}

// The answer is one byte once the request is taken; a request refused is answered by closing.
bool HandOverToRunningInstance(const std::string& commandLine, int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(QString::fromStdString(InstanceSocketName()));
  if (!socket.waitForConnected(1000)) return false;
  const std::string request = EncodeHandOverRequest(commandLine);
  socket.write(request.data(), static_cast<qint64>(request.size()));
  if (!socket.waitForBytesWritten(timeoutMs)) return false;
  socket.waitForReadyRead(timeoutMs);
  return true;
}

InstanceServer::InstanceServer() {
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  const QString name = QString::fromStdString(InstanceSocketName());
  if (!server_.listen(name)) {
    // Left over from a viewer that did not end cleanly: nobody answered on it.
    QLocalServer::removeServer(name);
    server_.listen(name);
  }
  QObject::connect(&server_, &QLocalServer::newConnection, &server_, [this] {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
      QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      // A peer that never finishes its request is not waited for.
      QTimer::singleShot(kRequestTimeoutMs, socket, [socket] { socket->abort(); });
      QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
        if (socket->property("lanterna.done").toBool()) return;
        QByteArray data = socket->property("lanterna.request").toByteArray() + socket->readAll();
        socket->setProperty("lanterna.request", data);
        const std::string_view bytes(data.constData(), static_cast<size_t>(data.size()));
        if (!HandOverRequestEnded(bytes)) return;
        socket->setProperty("lanterna.done", true);
        const std::optional<HandOverRequest> request = ParseHandOverRequest(bytes);
        if (!request) {
          socket->abort();  // not a second start of ours: no answer, nothing opened
          return;
        }
        // The second start is answered before the file is opened: opening may show a box
        // that waits for the user far longer than the second start waits for its answer, and
        // the connection must not be touched once the box's event loop may have ended it.
        socket->write("1", 1);
        socket->flush();
        socket->disconnectFromServer();
        QMetaObject::invokeMethod(
            &server_,
            [request] {
              if (TMyFrame* frame = Shell().Frame)
                frame->SendMessage(
                    WM_OPENBYNAME, kOpenFromOutside | (request->handedOver ? kOpenHandedOver : 0),
                    request->name.empty() ? 0 : reinterpret_cast<intptr_t>(request->name.c_str()));
            },
            Qt::QueuedConnection);
      });
    }
  });
}

InstanceServer::~InstanceServer() {
  server_.close();
}

}  // namespace lanterna
