// Asks the shared-mime-info database (as XDG_DATA_DIRS names it) for the type of files, by
// name and by content. Usage: mime-check FILE=TYPE...   exit 0 when every file has its type.
#include <QCoreApplication>
#include <QMimeDatabase>
#include <cstdio>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QMimeDatabase db;
  bool ok = true;
  for (int i = 1; i < argc; ++i) {
    const QString arg = QString::fromLocal8Bit(argv[i]);
    const qsizetype cut = arg.lastIndexOf('=');
    const QString file = arg.left(cut), want = arg.mid(cut + 1);
    const QString got = db.mimeTypeForFile(file).name();
    std::printf("%s: %s\n", qPrintable(file), qPrintable(got));
    if (got != want) {
      std::printf("  wanted %s\n", qPrintable(want));
      ok = false;
    }
  }
  return ok ? 0 : 1;
}
