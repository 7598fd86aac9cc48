#pragma once

#include "platform/widgets/DialogCard.h"

#include <QMap>
#include <QString>
#include <functional>
#include <optional>

class ExcelDocument;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

// The macro editor ("VBA マクロエディタ"), a card over the window.
//
// It edits a working copy of ExcelDocument::macros(), loaded by present().
// The document receives the whole copy only from "閉じる" (closeAndStore)
// and "実行" (runMacro); a click on the backdrop closes and drops it.
//
// Storing rules:
// - loading a macro into the name and code fields never stores anything;
// - every code edit is stored at once under the selected name, whatever the
//   name field holds;
// - a rename happens only when the name is committed (Return, leaving the
//   field, selecting another macro, "新規", "閉じる", "実行"); a blank name
//   or one another macro already has is refused and the field shows the
//   current name again.
//
// Each run makes a new interpreter on the document; the texts of its MsgBox
// statements arrive later, on the event loop, as messageReceived.
class VbaMacroDialog : public DialogCard
{
    Q_OBJECT
public:
    VbaMacroDialog(ExcelDocument *document, QWidget *parent);

    // Loads the document's macros, selects the first name in order and opens.
    void present();

    const QMap<QString, QString> &localMacros() const { return m_localMacros; }
    std::optional<QString> selectedMacro() const { return m_selected; }
    // The names in list order: Unicode scalar order of their NFC forms.
    QStringList macroNames() const;

    // Commits a pending rename, then loads `name` into the fields. The name
    // the selected macro had before that rename selects it under the new one.
    void selectMacro(const QString &name);
    void newMacro();
    void deleteMacro();
    // Applies the name field; false when it was refused (blank or taken).
    bool commitName();
    void closeAndStore();
    // Stores the copy and runs the selected macro; a run stopped early shows
    // why on the error line.
    void runMacro();

    QListWidget *macroList() const { return m_list; }
    QLineEdit *nameField() const { return m_nameField; }
    QPlainTextEdit *codeEditor() const { return m_codeEditor; }
    QPushButton *newButton() const { return m_newButton; }
    QPushButton *deleteButton() const { return m_deleteButton; }
    QPushButton *closeButton() const { return m_closeButton; }
    QPushButton *runButton() const { return m_runButton; }

    // The text of a new macro named `name`.
    static QString templateCode(const QString &name);

signals:
    void messageReceived(const QString &text);

private:
    void buildCard();
    QWidget *createListColumn();
    QWidget *createEditorColumn();
    QWidget *createActionRow();
    void storeCode();
    void loadFields(const QString &name, const QString &code);
    void refreshList();
    void updateEnabled();

    ExcelDocument *m_document;
    QMap<QString, QString> m_localMacros;
    std::optional<QString> m_selected;
    QListWidget *m_list = nullptr;
    QLineEdit *m_nameField = nullptr;
    QPlainTextEdit *m_codeEditor = nullptr;
    QPushButton *m_newButton = nullptr;
    QPushButton *m_deleteButton = nullptr;
    QPushButton *m_closeButton = nullptr;
    QPushButton *m_runButton = nullptr;
};
