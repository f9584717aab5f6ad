// SPDX-License-Identifier: GPL-3.0-or-later
// The widget kinds' table: one entry per kind of control in the layout, saying how its widget
// is made, how it is bound and whether its caption is fitted, so that the window's builder,
// its binder and the layout's rows cannot disagree about a kind.
//
// A binder ties a widget to its field of the option set, both ways: the widget's change signal
// (raised alike by mouse, keyboard, accessibility actions and program calls) writes the record,
// and `push` shows the record in the widget with the widget's signals blocked, so that nothing
// comes back as a user edit.
#pragma once

#include <QObject>
#include <QTabWidget>
#include <functional>
#include <memory>

#include "ui/form.h"
#include "ui/layout.h"

class QWidget;

namespace kestro::ui {

class Binder {
 public:
  virtual ~Binder() = default;
  // Shows the record in the widget: its value and, for a dependent control, whether it is on.
  void push(const core::OptionSet& options);
  // Makes the widget a dependent control, on while `on` says so.
  void switchWith(std::function<bool()> on) { on_ = std::move(on); }

 protected:
  explicit Binder(QWidget& widget) : widget_(widget) {}
  virtual void pushValue(const core::OptionSet& options) = 0;
  // The receiver of the widget's signals: they stop reaching the binder when it goes.
  QObject context_;

 private:
  QWidget& widget_;
  std::function<bool()> on_;
};

using Changed = std::function<void()>;

struct WidgetKind {
  Kind kind;
  // The widget of a row, inside `parent`.
  QWidget* (*create)(const Control& row, QWidget* parent, MainForm& form);
  // The binder of the row's widget, or nullptr for a widget bound to nothing. `changed` runs
  // after every change the widget brought into the record.
  std::unique_ptr<Binder> (*bind)(const Control& row, QWidget& widget, MainForm& form,
                                  Changed changed);
  // The alternatives of Binding the kind's rows may carry, one bit each.
  unsigned accepts;
  // A label speaks the text it shows, which may change: its row's `spoken` says what that is.
  bool showsText;
  // Grows until its caption shows whole.
  bool fitsCaption;
};

const WidgetKind& widgetKind(Kind kind);

// The tab control, telling where its pages start inside it and which page is about to show.
class OptionTabs : public QTabWidget {
 public:
  explicit OptionTabs(QWidget* parent);

  // The pages' top-left corner as the style lays the control out, the tab strip above it.
  QPoint pageOrigin() const;
  // Runs `beforeShowing` with a page's index whenever the page becomes the current one, before
  // it shows and before the focus moves into it, whether the mouse, a key, an accessibility
  // action or the program chose it.
  void beforeShowing(std::function<void(int)> beforeShowing) {
    beforeShowing_ = std::move(beforeShowing);
  }

 private:
  std::function<void(int)> beforeShowing_;
};

}  // namespace kestro::ui
