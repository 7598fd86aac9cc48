#pragma once

#include <QObject>
#include <functional>

// Runs `task` on a later turn of the main loop, unless `owner` is destroyed
// first (then the task never runs).
void deferToNextTurn(QObject *owner, std::function<void()> task);
