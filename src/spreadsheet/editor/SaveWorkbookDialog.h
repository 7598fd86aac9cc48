#pragma once

#include "platform/widgets/DialogCard.h"
#include "spreadsheet/engine/document/ExcelFileFormat.h"

class FolderLocationRow;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;

// The "保存形式と名前の指定" card: the folder row, the four formats as
// segments, the file name with the format's extension after it, and the
// "キャンセル" and "保存" buttons. The owner holds the state: set…() load it
// without emitting, and each user change is reported as it happens.
// "保存" emits saveRequested and leaves closing to the owner.
class SaveWorkbookDialog : public DialogCard
{
    Q_OBJECT
public:
    explicit SaveWorkbookDialog(QWidget *parent);

    void setFileName(const QString &name);
    void setFormat(ExcelFileFormat format);
    void setLocation(const QString &folder);

    QString fileName() const;
    ExcelFileFormat format() const { return m_format; }
    QLineEdit *fileNameField() const { return m_fileNameField; }
    QPushButton *formatButton(ExcelFileFormat format) const;
    QLabel *extensionLabel() const { return m_extensionLabel; }
    FolderLocationRow *locationRow() const { return m_locationRow; }
    QPushButton *cancelButton() const { return m_cancelButton; }
    QPushButton *saveButton() const { return m_saveButton; }

signals:
    void fileNameEdited(const QString &name);
    void formatChosen(ExcelFileFormat format);
    void chooseFolderRequested();
    void saveRequested();

private:
    QWidget *makeFormatPicker();
    QWidget *makeFileNameRow();
    void showFormat(ExcelFileFormat format);

    ExcelFileFormat m_format = ExcelFileFormat::Xlsx;
    FolderLocationRow *m_locationRow;
    QButtonGroup *m_formatGroup;
    QLineEdit *m_fileNameField = nullptr;
    QLabel *m_extensionLabel = nullptr;
    QPushButton *m_cancelButton;
    QPushButton *m_saveButton;
};
