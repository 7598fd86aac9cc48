#pragma once

#include <QObject>
#include <functional>

// Runs `task` on a later turn of the main loop, in the owner's thread, unless
// `owner` is destroyed first (then the task never runs). Tasks run in the
// order they were deferred. A null owner binds the task to the application
// object. Needs a QCoreApplication.
void deferToNextTurn(QObject *owner, std::function<void()> task);
