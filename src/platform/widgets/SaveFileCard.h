#pragma once

#include "platform/widgets/DialogCard.h"

#include <QList>

class FolderLocationRow;
class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The save card every screen shows: a title, the folder row, the format
// picker, the file name with the extension that will be added, the cancel and
// save buttons, and the error line under them. The screen holds the state:
// set…() load it without emitting, and each user change is reported as it
// happens. The save button emits saveRequested; the screen closes the card
// when the save succeeded and shows a failure on the error line.
class SaveFileCard : public DialogCard
{
    Q_OBJECT
public:
    // A format the picker offers: the screen's id for it, its label and the
    // extension added to the file name, without the dot.
    struct Format
    {
        int id;
        QString label;
        QString extension;
    };

    // One Format per value of an enumeration, in the order of `all`, with
    // the label and extension the two functions give for it.
    template <typename Values, typename LabelOf, typename ExtensionOf>
    static QList<Format> formatsOf(const Values &all, LabelOf labelOf, ExtensionOf extensionOf)
    {
        QList<Format> formats;
        for (const auto value : all)
            formats.append({int(value), labelOf(value), extensionOf(value)});
        return formats;
    }

    // What differs between the screens' save cards.
    struct Look
    {
        Shape shape;
        QString title;
        TextStyle titleStyle = TextStyle::Title;
        bool boldTitle = false;
        // The folder row is centred, or spans the card when empty.
        Qt::Alignment locationAlignment = Qt::AlignHCenter;
        // A menu after its label, or one segment per format under it.
        enum class Picker { Menu, Segments } picker = Picker::Menu;
        QString pickerLabel;
        // The name row's margin at either side, and the gap between its
        // label, field and extension (-1: the style's standard gap).
        int nameRowInset = 0;
        int nameRowSpacing = -1;
        QString cancelText;
        QString saveText;
        // The cards' flat grey and blue buttons, or the platform's buttons
        // with the save button prominent.
        enum class Buttons { Flat, Plain } buttons = Buttons::Flat;
        // Return in the name field saves, as the save button does.
        bool returnSaves = true;
    };

    SaveFileCard(const Look &look, const QList<Format> &formats, QWidget *parent);

    // Another folder clears the error line.
    void setLocation(const QString &folder);
    void setFileName(const QString &name);
    QString fileName() const;
    void setFormat(int id);
    int format() const { return m_format; }

    FolderLocationRow *locationRow() const { return m_locationRow; }
    // The menu picker; null on a card with segments.
    QComboBox *formatPicker() const { return m_formatMenu; }
    // The segment of format `id`; null on a card with a menu.
    QPushButton *formatSegment(int id) const;
    QLineEdit *fileNameField() const { return m_fileNameField; }
    QLabel *extensionLabel() const { return m_extensionLabel; }
    QPushButton *cancelButton() const { return m_cancelButton; }
    QPushButton *saveButton() const { return m_saveButton; }

signals:
    void chooseFolderRequested();
    void fileNameEdited(const QString &name);
    void formatChosen(int id);
    void saveRequested();

private:
    QLayout *makeFormatMenu(const QString &label);
    QWidget *makeFormatSegments(const QString &label);
    QWidget *makeFileNameRow(const Look &look);
    QLayout *makeButtons(const Look &look);

    QList<Format> m_formats;
    int m_format = 0;
    FolderLocationRow *m_locationRow;
    QComboBox *m_formatMenu = nullptr;
    QButtonGroup *m_formatSegments = nullptr;
    QLineEdit *m_fileNameField = nullptr;
    QLabel *m_extensionLabel = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QPushButton *m_saveButton = nullptr;
};
