#pragma once
// Dialog answers for a test that expects none: a message box, save dialog or pop-up menu fails the test at
// once with what it showed, instead of waiting for a user who never comes.

#include <gtest/gtest.h>

#include <QMenu>

#include "platform/Dialogs.h"

namespace testsupport {

inline platform::DialogHandlers UnexpectedDialogs() {
  platform::DialogHandlers handlers;
  handlers.msgBox = [](const QString& text) { ADD_FAILURE() << "unexpected message box: " << text.toStdString(); };
  // The program beeps only together with a message box, which fails with its text.
  handlers.beep = [] {};
  handlers.saveFile = [](const QString& name) -> std::optional<QString> {
    ADD_FAILURE() << "unexpected save dialog offering \"" << name.toStdString() << "\", cancelled";
    return std::nullopt;
  };
  handlers.popUp = [](QMenu& menu) -> QAction* {
    ADD_FAILURE() << "unexpected pop-up menu with " << menu.actions().size() << " entries, dismissed";
    return nullptr;
  };
  return handlers;
}

}  // namespace testsupport
