#pragma once

#include "platform/widgets/DialogCard.h"

#include <QList>
#include <QPair>

class FolderLocationRow;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The save card: "Save Document", the folder row, the format picker, the
// file name with the extension that will be added, and Cancel and Save.
// It holds no state of its own: the screen loads its values and reads the
// user's changes back through the signals.
class SaveDocumentCard : public DialogCard
{
    Q_OBJECT
public:
    // Each format's extension and picker label, in picker order.
    using Formats = QList<QPair<QString, QString>>;

    SaveDocumentCard(const Formats &formats, QWidget *parent);

    void setFolder(const QString &folder);
    void setFileName(const QString &name);
    void setFormat(const QString &extension);

    FolderLocationRow *locationRow() const { return m_location; }
    QComboBox *formatPicker() const { return m_format; }
    QLineEdit *nameField() const { return m_name; }
    QLabel *extensionLabel() const { return m_extension; }
    QPushButton *cancelButton() const { return m_cancel; }
    QPushButton *saveButton() const { return m_save; }

signals:
    void folderChangeRequested();
    void fileNameEdited(const QString &name);
    void formatChosen(const QString &extension);
    void saveRequested();

private:
    FolderLocationRow *m_location;
    QComboBox *m_format;
    QLineEdit *m_name;
    QLabel *m_extension;
    QPushButton *m_cancel;
    QPushButton *m_save;
};
