#pragma once

#include <QColor>
#include <QListWidget>
#include <QStringList>
#include <functional>

class QFileInfo;

// The file list of an open card: one row per path, in the given order,
// showing a symbol and the file name with its extension. A click on a row
// emits fileClicked with its path. What symbol a row shows is the owner's
// choice (a table for spreadsheets, "doc.richtext" for text documents).
class FileList : public QListWidget
{
    Q_OBJECT
public:
    struct RowSymbol
    {
        QString name; // a SymbolIcon name
        QColor color;
    };
    using RowSymbolFor = std::function<RowSymbol(const QFileInfo &file)>;

    // Dark lists lie on HUD cards (white text on white at opacity 0.08),
    // light ones on popover cards (the palette's text on black at 0.1).
    enum class Surface { Dark, Light };

    FileList(Surface surface, RowSymbolFor rowSymbol, QWidget *parent);

    void setFiles(const QStringList &paths);
    QStringList files() const { return m_files; }

signals:
    void fileClicked(const QString &path);

private:
    RowSymbolFor m_rowSymbol;
    QStringList m_files;
};
