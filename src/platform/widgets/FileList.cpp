#include "FileList.h"

#include "SymbolIcon.h"

#include <QFileInfo>
#include <QHash>

namespace {

constexpr int symbolSize = 16;

} // namespace

FileList::FileList(Surface surface, RowSymbolFor rowSymbol, QWidget *parent)
    : QListWidget(parent)
    , m_rowSymbol(std::move(rowSymbol))
{
    setIconSize(QSize(symbolSize, symbolSize));
    setFrameShape(QFrame::NoFrame);
    setStyleSheet(surface == Surface::Dark
                      ? QStringLiteral("QListWidget { border-radius: 8px; padding: 4px;"
                                       " background: rgba(255, 255, 255, 20); color: white; }"
                                       "QListWidget::item { padding: 4px 2px; }")
                      : QStringLiteral("QListWidget { border-radius: 8px; padding: 4px;"
                                       " background: rgba(0, 0, 0, 26); }"
                                       "QListWidget::item { padding: 4px 2px; }"));
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) {
        emit fileClicked(item->data(Qt::UserRole).toString());
    });
}

void FileList::setFiles(const QStringList &paths)
{
    m_files = paths;
    clear();
    // Rows share a handful of symbols: draw each once per refresh.
    QHash<QString, QIcon> icons;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        const RowSymbol symbol = m_rowSymbol(info);
        const QString key = symbol.name + symbol.color.name(QColor::HexArgb);
        auto icon = icons.find(key);
        if (icon == icons.end())
            icon = icons.insert(key, SymbolIcon::icon(symbol.name, symbol.color, symbolSize));
        auto *item = new QListWidgetItem(*icon, info.fileName(), this);
        item->setData(Qt::UserRole, path);
    }
}
