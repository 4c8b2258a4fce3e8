#include "shell/instance.h"

#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QLocalSocket>
#include <cctype>

#include "shell/frame.h"
#include "shell/shell_state.h"

namespace lanterna {

std::string InstanceSocketName() {
  // One viewer per user and display: a start on another display opens a viewer there.
  QByteArray display = qgetenv("WAYLAND_DISPLAY");
  if (display.isEmpty()) display = qgetenv("DISPLAY");
  std::string shownOn;
  for (char c : display.toStdString())
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

// A request is the flag byte, then the name, then a NUL; the answer is one byte once taken.
bool HandOverToRunningInstance(const std::string& commandLine, int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(QString::fromStdString(InstanceSocketName()));
  if (!socket.waitForConnected(1000)) return false;
  QByteArray request;
  request.append('\1');
  request.append(commandLine.c_str(), static_cast<qsizetype>(commandLine.size()));
  request.append('\0');
  socket.write(request);
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
      QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
        QByteArray data = socket->property("lanterna.request").toByteArray() + socket->readAll();
        socket->setProperty("lanterna.request", data);
        if (!data.endsWith('\0')) return;
        const bool handedOver = data.size() > 0 && data[0] == '\1';
        const std::string name(data.constData() + 1, static_cast<size_t>(data.size() - 2));
        // The second start is answered before the file is opened: opening may show a box
        // that waits for the user far longer than the second start waits for its answer, and
        // the connection must not be touched once the box's event loop may have ended it.
        socket->write("1", 1);
        socket->flush();
        socket->disconnectFromServer();
        QMetaObject::invokeMethod(
            &server_,
            [handedOver, name] {
              if (TMyFrame* frame = Shell().Frame)
                frame->SendMessage(WM_OPENBYNAME, handedOver ? 1 : 0,
                                   name.empty() ? 0 : reinterpret_cast<intptr_t>(name.c_str()));
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
