// Drives modal dialogs from inside their own loops: the action runs once the dialog shows,
// and a dialog the action leaves open is cancelled so that the run never hangs.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>

#include "framework/dialog.h"
#include "slide/loader.h"
#include "tests/gui/gui_support.h"

namespace guitest {

// Runs act on the next modal dialog of type D to show, whatever code opens it and however
// deep its loop is nested. It looks on every turn of the running loop and never waits itself,
// so a dialog that closes and the next that opens each get their turn.
template <class D>
void WhenModal(std::function<void(D&)> act, int giveUpMs = 10000) {
  auto* poll = new QTimer;
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  QObject::connect(poll, &QTimer::timeout, [poll, act, clock, giveUpMs] {
    // Like the user's input, the action waits while a slide is drawn.
    if (lanterna::LoaderBusy()) return;
    D* d = dynamic_cast<D*>(QApplication::activeModalWidget());
    if (d && d->isVisible()) {
      poll->stop();
      poll->deleteLater();
      act(*d);
      // Every action ends its dialog; one left open would wait for ever.
      if (d->isVisible()) {
        ADD_FAILURE() << "the dialog was left open";
        d->CloseWindow(framework::IDCANCEL);
      }
    } else if (clock->elapsed() > giveUpMs) {
      poll->stop();
      poll->deleteLater();
      ADD_FAILURE() << "the dialog did not come";
    }
  });
  poll->start(2);
}

// Executes dialog modally with act run once it shows.
template <class D>
int RunModal(D& dialog, std::function<void(D&)> act) {
  WhenModal<D>(std::move(act));
  return dialog.Execute();
}

}  // namespace guitest
