// The dialog behind "More Windows...": every MDI child by title, narrowed by a filter line,
// for when there are more windows than the Window menu lists.
#pragma once

#include <QDialog>
#include <QStringList>

class QLineEdit;
class QListWidget;

namespace framework {

class TWindowListDialog : public QDialog {
 public:
  // current: the index of the title selected at first (the active window), or -1.
  TWindowListDialog(QWidget* parent, const QStringList& titles, int current);
  // The index among the titles of the window chosen, or -1.
  int Chosen() const;
  QLineEdit* Filter() const { return filter_; }
  QListWidget* List() const { return list_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void ApplyFilter(const QString& text);
  void AcceptIfChosen();
  QLineEdit* filter_;
  QListWidget* list_;
};

}  // namespace framework
