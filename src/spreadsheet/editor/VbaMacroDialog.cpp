#include "VbaMacroDialog.h"

#include "platform/widgets/AccentColors.h"
#include "platform/widgets/Controls.h"
#include "platform/widgets/TextStyles.h"
#include "platform/widgets/SymbolIcon.h"
#include "platform/widgets/TranslucentPanel.h"
#include "spreadsheet/engine/document/ExcelDocument.h"
#include "spreadsheet/engine/macro/ExcelVBAEngine.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

using TextStyles::Tone;

namespace {

// Runs the macro and gives why it stopped early ("" when it ran to the end).
QString runWithEngine(ExcelDocument *document, const QString &code,
                      std::function<void(const QString &)> onMessage)
{
    ExcelVBAEngine engine;
    engine.document = document;
    engine.onShowMessage = std::move(onMessage);
    engine.run(code);
    return engine.stopReason();
}

QString secondaryRgba(const QWidget *widget, double opacity)
{
    const QColor color = widget->palette().color(QPalette::WindowText);
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(qRound(opacity * 255));
}

// A column of the card: leading-aligned rows 8 apart.
QVBoxLayout *columnLayout(QWidget *column)
{
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    return layout;
}

} // namespace

VbaMacroDialog::VbaMacroDialog(ExcelDocument *document, QWidget *parent)
    : DialogCard({.padding = 24, .spacing = 16, .cornerRadius = 15, .shadowRadius = 20}, parent)
    , m_document(document)
{
    buildCard();
    updateEnabled();
}

QString VbaMacroDialog::templateCode(const QString &name)
{
    return QStringList{QStringLiteral("Sub %1()").arg(name),
                       QStringLiteral("    ' ここにコードを書いてね！"),
                       QStringLiteral("    Range(\"A1\").Value = \"Hello\""),
                       QStringLiteral("End Sub")}
        .join(QLatin1Char('\n'));
}

QStringList VbaMacroDialog::macroNames() const
{
    QStringList names = m_localMacros.keys();
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return a.normalized(QString::NormalizationForm_C).toUcs4()
               < b.normalized(QString::NormalizationForm_C).toUcs4();
    });
    return names;
}

void VbaMacroDialog::buildCard()
{
    QVBoxLayout *layout = rows();
    layout->addWidget(TextStyles::label(QStringLiteral("VBA マクロエディタ"), TextStyle::Title3, card()),
                      0, Qt::AlignHCenter);
    auto *columns = new QHBoxLayout;
    columns->setSpacing(16);
    columns->addWidget(createListColumn(), 0, Qt::AlignVCenter);
    columns->addWidget(createEditorColumn(), 0, Qt::AlignVCenter);
    layout->addLayout(columns);
    layout->addWidget(Controls::divider(card()));
    layout->addWidget(createActionRow());
}

QWidget *VbaMacroDialog::createListColumn()
{
    auto *column = new QWidget(card());
    QVBoxLayout *layout = columnLayout(column);
    layout->addWidget(TextStyles::label(QStringLiteral("マクロ一覧"), TextStyle::Caption, column, Tone::Secondary));

    m_list = new QListWidget(column);
    m_list->setFixedSize(150, 220);
    m_list->setSelectionMode(QAbstractItemView::NoSelection);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setFrameShape(QFrame::NoFrame);
    m_list->setStyleSheet(QStringLiteral("QListWidget { background: %1; border-radius: 6px; }"
                                         "QListWidget::item { padding: 4px 6px; }")
                              .arg(secondaryRgba(column, 0.1)));
    connect(m_list, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { selectMacro(item->data(Qt::UserRole).toString()); });
    layout->addWidget(m_list);

    auto *buttons = new QHBoxLayout;
    m_newButton = new QPushButton(SymbolIcon::icon(QStringLiteral("plus"), column->palette().color(QPalette::ButtonText), 12),
                                  QStringLiteral("新規"), column);
    m_deleteButton = new QPushButton(column);
    m_deleteButton->setIcon(SymbolIcon::icon(QStringLiteral("trash"), column->palette().color(QPalette::ButtonText), 14));
    m_deleteButton->setToolTip(QStringLiteral("削除"));
    connect(m_newButton, &QPushButton::clicked, this, &VbaMacroDialog::newMacro);
    connect(m_deleteButton, &QPushButton::clicked, this, &VbaMacroDialog::deleteMacro);
    buttons->addWidget(m_newButton);
    buttons->addStretch();
    buttons->addWidget(m_deleteButton);
    layout->addLayout(buttons);
    return column;
}

QWidget *VbaMacroDialog::createEditorColumn()
{
    auto *column = new QWidget(card());
    QVBoxLayout *layout = columnLayout(column);

    auto *nameRow = new QHBoxLayout;
    nameRow->addWidget(TextStyles::label(QStringLiteral("マクロ名:"), TextStyle::Body, column));
    m_nameField = new QLineEdit(column);
    m_nameField->setPlaceholderText(QStringLiteral("マクロ名"));
    connect(m_nameField, &QLineEdit::editingFinished, this, &VbaMacroDialog::commitName);
    nameRow->addWidget(m_nameField);
    layout->addLayout(nameRow);

    layout->addWidget(TextStyles::label(QStringLiteral("VBAコード:"), TextStyle::Caption, column, Tone::Secondary));
    m_codeEditor = new QPlainTextEdit(column);
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPixelSize(13);
    m_codeEditor->setFont(mono);
    m_codeEditor->setFixedSize(320, 180);
    m_codeEditor->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_codeEditor->setTabChangesFocus(false);
    m_codeEditor->setFrameShape(QFrame::NoFrame);
    // A style sheet drops the inherited palette, so the card's colours are restated.
    const QPalette cardPalette = column->palette();
    m_codeEditor->setStyleSheet(QStringLiteral("QPlainTextEdit { border: 1px solid %1; border-radius: 6px;"
                                               " background: %2; color: %3; }")
                                    .arg(secondaryRgba(column, 0.2), cardPalette.color(QPalette::Base).name(),
                                         cardPalette.color(QPalette::Text).name()));
    connect(m_codeEditor, &QPlainTextEdit::textChanged, this, &VbaMacroDialog::storeCode);
    layout->addWidget(m_codeEditor);
    return column;
}

QWidget *VbaMacroDialog::createActionRow()
{
    auto *row = new QWidget(card());
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    m_closeButton = new QPushButton(QStringLiteral("閉じる"), row);
    m_runButton = new QPushButton(QStringLiteral("実行"), row);
    Controls::makeProminent(m_runButton);
    connect(m_closeButton, &QPushButton::clicked, this, &VbaMacroDialog::closeAndStore);
    connect(m_runButton, &QPushButton::clicked, this, &VbaMacroDialog::runMacro);
    layout->addWidget(m_closeButton);
    layout->addStretch();
    layout->addWidget(m_runButton);
    return row;
}

void VbaMacroDialog::present()
{
    m_localMacros = m_document->macros();
    m_selected.reset();
    loadFields(QString(), QString());
    refreshList();
    const QStringList names = macroNames();
    if (!names.isEmpty())
        selectMacro(names.first());
    updateEnabled();
    open();
}

void VbaMacroDialog::selectMacro(const QString &name)
{
    const std::optional<QString> before = m_selected;
    commitName();
    // The list still showed the old name while a new one was typed: a click
    // on that row means the macro the commit just renamed.
    const QString target = before == name ? *m_selected : name;
    m_selected = target;
    loadFields(target, m_localMacros.value(target));
    refreshList();
    updateEnabled();
}

void VbaMacroDialog::newMacro()
{
    commitName();
    QString name;
    for (int n = 1;; ++n) {
        name = QStringLiteral("Macro%1").arg(n);
        if (!m_localMacros.contains(name))
            break;
    }
    m_localMacros.insert(name, templateCode(name));
    selectMacro(name);
}

void VbaMacroDialog::deleteMacro()
{
    if (!m_selected)
        return;
    m_localMacros.remove(*m_selected);
    m_selected.reset();
    loadFields(QString(), QString());
    const QStringList names = macroNames();
    if (names.isEmpty()) {
        refreshList();
        updateEnabled();
        return;
    }
    selectMacro(names.first());
}

bool VbaMacroDialog::commitName()
{
    if (!m_selected)
        return true;
    const QString name = m_nameField->text().trimmed();
    const bool refused = name.isEmpty() || (name != *m_selected && m_localMacros.contains(name));
    if (refused || name != m_nameField->text()) {
        const QSignalBlocker blocker(m_nameField);
        m_nameField->setText(refused ? *m_selected : name);
    }
    if (refused || name == *m_selected)
        return !refused;
    m_localMacros.remove(*m_selected);
    m_localMacros.insert(name, m_codeEditor->toPlainText());
    m_selected = name;
    refreshList();
    return true;
}

void VbaMacroDialog::storeCode()
{
    if (m_selected)
        m_localMacros.insert(*m_selected, m_codeEditor->toPlainText());
}

void VbaMacroDialog::closeAndStore()
{
    commitName();
    m_document->setMacros(m_localMacros);
    close();
}

void VbaMacroDialog::runMacro()
{
    commitName();
    m_document->setMacros(m_localMacros);
    if (!m_selected || !m_localMacros.contains(*m_selected))
        return;
    // The messages come after the run, possibly once the dialog has gone.
    QPointer<VbaMacroDialog> self(this);
    showError(runWithEngine(m_document, m_localMacros.value(*m_selected), [self](const QString &text) {
        if (self)
            emit self->messageReceived(text);
    }));
}

void VbaMacroDialog::loadFields(const QString &name, const QString &code)
{
    const QSignalBlocker nameBlocker(m_nameField);
    const QSignalBlocker codeBlocker(m_codeEditor);
    m_nameField->setText(name);
    m_codeEditor->setPlainText(code);
}

void VbaMacroDialog::refreshList()
{
    m_list->clear();
    for (const QString &name : macroNames()) {
        auto *item = new QListWidgetItem(name, m_list);
        item->setData(Qt::UserRole, name);
        item->setForeground(m_selected == name ? AccentColors::blueOnDark() : m_list->palette().color(QPalette::Text));
    }
}

void VbaMacroDialog::updateEnabled()
{
    const bool hasSelection = m_selected.has_value();
    m_nameField->setEnabled(hasSelection);
    m_codeEditor->setEnabled(hasSelection);
    m_deleteButton->setEnabled(hasSelection);
    m_runButton->setEnabled(hasSelection);
}
