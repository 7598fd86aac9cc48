#pragma once

#include "PPTXFileFormat.h"
#include "platform/widgets/DialogCard.h"

class FolderLocationRow;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The "スライド保存" card: the folder row, the format picker, the file name
// with the extension of the chosen format after it, "キャンセル" and "保存".
// It only holds what the user chose; the screen saves on saveRequested and
// closes the card when the save succeeded.
class SavePresentationDialog : public DialogCard
{
    Q_OBJECT
public:
    explicit SavePresentationDialog(QWidget *parent);

    // Loading never emits fileNameEdited or formatChosen.
    void setFileName(const QString &name);
    QString fileName() const;
    void setFormat(PPTXFileFormat format);
    PPTXFileFormat format() const { return m_format; }
    void setLocation(const QString &folder);

    QLineEdit *fileNameField() const { return m_fileNameField; }
    QComboBox *formatPicker() const { return m_formatPicker; }
    QLabel *extensionLabel() const { return m_extensionLabel; }
    FolderLocationRow *locationRow() const { return m_locationRow; }
    QPushButton *cancelButton() const { return m_cancelButton; }
    QPushButton *saveButton() const { return m_saveButton; }

signals:
    void fileNameEdited(const QString &name);
    void formatChosen(PPTXFileFormat format);
    void chooseFolderRequested();
    void saveRequested();

private:
    void showFormat(PPTXFileFormat format);

    PPTXFileFormat m_format = PPTXFileFormat::Pptx;
    FolderLocationRow *m_locationRow;
    QComboBox *m_formatPicker;
    QLineEdit *m_fileNameField;
    QLabel *m_extensionLabel;
    QPushButton *m_cancelButton;
    QPushButton *m_saveButton;
};
