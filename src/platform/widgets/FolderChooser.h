#pragma once

#include <QString>
#include <functional>

class QWidget;

// Asks the user for a folder, starting at `start`; returns "" when cancelled.
// Screens hold one of these so tests can inject their own and never block.
using FolderChooser = std::function<QString(QWidget *parent, const QString &start)>;

// The QFileDialog-based chooser the application uses.
FolderChooser systemFolderChooser();
