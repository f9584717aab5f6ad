// One small binder per kind of control ties a widget to its field of the option set, both
// ways: the widget's change signal (raised alike by mouse, keyboard, accessibility actions and
// program calls) writes the record, and `push` shows the record in the widget with the widget's
// signals blocked, so that nothing comes back as a user edit.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "ui/layout.h"

class QWidget;

namespace kestro::ui {

class Binder {
 public:
  virtual ~Binder() = default;
  // Shows the record in the widget: its value and, for a dependent control, whether it is on.
  void push(const core::OptionSet& options);

 protected:
  Binder(QWidget& widget, bool core::OptionSet::*enabledBy)
      : widget_(widget), enabledBy_(enabledBy) {}
  virtual void pushValue(const core::OptionSet& options) = 0;
  // The receiver of the widget's signals: they stop reaching the binder when it goes.
  QObject context_;

 private:
  QWidget& widget_;
  bool core::OptionSet::*enabledBy_;
};

// The binder of the row's widget, or nullptr for a row bound to nothing. `changed` runs after
// every change the widget brought into the record.
std::unique_ptr<Binder> bindControl(const Control& row, QWidget& widget, MainForm& form,
                                    std::function<void()> changed);

}  // namespace kestro::ui
