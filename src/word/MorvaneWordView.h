#pragma once

#include "PageArea.h"
#include "TextCounts.h"
#include "TextPrinter.h"

#include "platform/widgets/FolderChooser.h"
#include "textsystem/StyledText.h"
#include "word/document/DocumentFormat.h"

#include <QColor>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

class EditCommit;
class FindBar;
class OpenDocumentCard;
class SaveDocumentCard;
class PageCanvas;
class PageTextItem;
class QMessageBox;
class WordRibbon;
class WordStatusBar;
class WordTextDocument;

// The word processor's screen: the ribbon, the page with its header, text
// and footer, the status bar, and the save and open cards. It owns the one
// live document, shown directly by the page's text view; a commit once per
// turn of the main loop recounts it and marks it changed after edits.
// Showing a document (at start, after opening) never marks it changed.
//
// The ribbon's commands act on the text view only when it is the widget of
// this screen that had the focus last; with the header or footer focused
// they do nothing. Ctrl+B, I, U, F and P work only while the screen shows.
class MorvaneWordView : public QWidget
{
    Q_OBJECT
public:
    // Asks for a picture file; "" when cancelled. Tests inject their own.
    using ImageChooser = std::function<QString(QWidget *parent)>;

    explicit MorvaneWordView(QWidget *parent = nullptr);
    ~MorvaneWordView() override;

    static QString sampleText();

    WordTextDocument *document() const { return m_document; }
    TextCounts counts() const { return m_counts; }
    int wordCount() const { return m_counts.words; }
    int charCount() const { return m_counts.characters; }

    QString fileName() const { return m_fileName; }
    void setFileName(const QString &name) { m_fileName = name; }
    QString selectedSaveLocation() const { return m_saveLocation; }
    void setSelectedSaveLocation(const QString &folder) { m_saveLocation = folder; }
    DocumentFormat selectedFormat() const { return m_format; }
    void setSelectedFormat(DocumentFormat format) { m_format = format; }
    QStringList openFiles() const { return m_openFiles; }
    // Refills openFiles from the folder: its entries whose lower-cased
    // extension is one of the ten formats', in the listing's order.
    void loadFiles();

    QString selectedFontFamily() const { return m_fontFamily; }
    qreal selectedFontSize() const { return m_fontSize; }
    QString selectedStyle() const { return m_style; }
    QColor textColor() const { return m_textColor; }
    QColor highlightColor() const { return m_highlightColor; }
    QStringList fontFamilies() const { return m_fontFamilies; }

    double zoomLevel() const { return m_zoom; }
    void setZoomLevel(double zoom);
    void zoomIn();
    void zoomOut();
    qreal marginSize() const { return m_margin; }
    void setMarginSize(qreal margin);
    bool isVertical() const { return m_vertical; }
    void setVertical(bool vertical);
    QString headerText() const;
    QString footerText() const;

    // The text item the ribbon's commands act on now: the page's, when its
    // view is this screen's widget that had the focus last; else null.
    PageTextItem *focusedTextItem() const;
    PageTextItem *textItem() const;

    void setImageChooser(ImageChooser chooser) { m_imageChooser = std::move(chooser); }
    void setFolderChooser(FolderChooser chooser) { m_folderChooser = std::move(chooser); }
    // The cards' folder choosers: a confirmed folder becomes the folder of
    // both cards; the open card's list is read again at once.
    void chooseSaveFolder();
    void chooseOpenFolder();
    SaveDocumentCard *saveCard() const { return m_saveCard; }
    OpenDocumentCard *openCard() const { return m_openCard; }
    void setPrintDialogRunner(TextPrinter::PrintDialogRunner runner) { m_printDialog = std::move(runner); }

    WordRibbon *ribbon() const { return m_ribbon; }
    PageCanvas *page() const { return m_page; }
    WordStatusBar *statusBar() const { return m_statusBar; }
    FindBar *findBar() const { return m_findBar; }
    PageArea *pageArea() const { return m_pageArea; }

    // Puts `fill`'s content into the document as shown, not as an edit:
    // the unsaved state stays, the undo history is cleared.
    void showDocument(const std::function<void(WordTextDocument *)> &fill);

    // Reads `path` now and shows it on the next turn of the main loop; a
    // failure prints "Open error: " and the reason and changes nothing.
    void loadDocument(const QString &path);
    // Shows `text`, opened from `path`: the file's name without its last
    // extension becomes the name and the unsaved state clears, except for a
    // template (.dotx), which becomes an unsaved "Untitled". The undo history
    // is cleared; the open card closes, unless `notice` says what the file
    // lost in opening: then the card shows it on its error line and stays.
    void applyLoadedDocument(const StyledText &text, const QString &extension, const QString &path,
                             const QString &notice = QString());
    // Writes the document to the folder as the name plus the format's
    // extension. On success the save card closes and the unsaved state
    // clears; a failure (a name that is empty or holds "/" or a control
    // character included) prints "Save error: " and the reason and keeps
    // the card. Returns whether it saved.
    bool saveDocument();
    // What the last failed open or save printed; cleared by the next success.
    QString lastError() const { return m_lastError; }
    // What the last opened file lost in opening ("" for nothing).
    QString lastNotice() const { return m_lastNotice; }

    bool isShowingSaveDialog() const { return m_showingSaveDialog; }
    void setShowingSaveDialog(bool showing);
    bool isShowingOpenDialog() const { return m_showingOpenDialog; }
    void setShowingOpenDialog(bool showing);

    void insertImage();
    void find();
    // Prints through the print dialog; false when there was nothing to
    // print to or the dialog was cancelled.
    bool print();

signals:
    // A failed open or save, with the line it printed.
    void errorReported(const QString &line);
    void dialogsChanged();

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QWidget *createRibbonBar();
    QWidget *createPageArea();
    void createShortcuts();
    void connectRibbon();
    void runRibbonAction(int action);
    void trackFocus(QWidget *now);
    void createCards();
    void reportError(const QString &line, QWidget *card);
    void reportPasteCuts(const QStringList &cuts);
    bool chooseFolder();
    // Gives the text the keyboard unless a card is up or the focus is in
    // this screen already.
    void focusTextUnlessCardShows();
    // Scrolls the text and the page area so that the caret shows.
    void keepCaretInSight();
    // Whether the caret shows in the window.
    bool caretInSight() const;
    // The caret in the page area's content, when it shows in the text.
    QRect caretInPageArea() const;
    // Scrolls the text and the page area to the text's start.
    void showTextStart();
    // Lets the page area take the page's size at once.
    void fitPageArea();

    WordTextDocument *m_document;
    EditCommit *m_commit;
    WordRibbon *m_ribbon = nullptr;
    FindBar *m_findBar = nullptr;
    PageCanvas *m_page = nullptr;
    PageArea *m_pageArea = nullptr;
    WordStatusBar *m_statusBar = nullptr;
    QPointer<QWidget> m_lastFocused;
    QMetaObject::Connection m_focusConnection;

    TextCounts m_counts;
    QString m_fileName = QStringLiteral("MorvaneDocument");
    QString m_saveLocation;
    QStringList m_openFiles;
    DocumentFormat m_format = DocumentFormat::Rtf;
    bool m_showingSaveDialog = false;
    bool m_showingOpenDialog = false;
    QString m_lastError;
    QString m_lastNotice;
    QPointer<QMessageBox> m_pasteNotice;
    QStringList m_fontFamilies;
    QString m_fontFamily = QStringLiteral("Helvetica");
    qreal m_fontSize = 14;
    QString m_style = QStringLiteral("本文");
    QColor m_textColor = Qt::black;
    QColor m_highlightColor = Qt::transparent;
    double m_zoom = 1.0;
    qreal m_margin = 40;
    bool m_vertical = false;

    SaveDocumentCard *m_saveCard = nullptr;
    OpenDocumentCard *m_openCard = nullptr;
    FolderChooser m_folderChooser;
    ImageChooser m_imageChooser;
    TextPrinter::PrintDialogRunner m_printDialog;
};
