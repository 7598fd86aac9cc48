#include "MorvaneWordView.h"

#include "EditCommit.h"
#include "FindBar.h"
#include "PageCanvas.h"
#include "PageColumn.h"
#include "word/layout/PageTextItem.h"
#include "TextFormattingHelper.h"
#include "ListToggle.h"
#include "OpenDocumentCard.h"
#include "SaveDocumentCard.h"
#include "TextPageView.h"
#include "WordRibbon.h"
#include "WordStatusBar.h"
#include "word/layout/WordTextDocument.h"
#include "ZoomLevel.h"

#include "platform/AppState.h"
#include "platform/ConsoleLog.h"
#include "platform/Deferral.h"
#include "platform/SafeSave.h"
#include "platform/UserFolders.h"
#include "textsystem/StyledTextDocument.h"
#include "word/document/WordDocumentFiles.h"
#include "platform/widgets/HorizontalScrollArea.h"
#include "platform/widgets/TranslucentPanel.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QShortcut>
#include <QShowEvent>
#include <QTextCursor>
#include <QVBoxLayout>

namespace {

MorvaneWordView::ImageChooser systemImageChooser()
{
    return [](QWidget *parent) {
        return QFileDialog::getOpenFileName(parent, QString(), QString(),
                                            QStringLiteral("画像 (*.png *.jpg *.jpeg *.gif *.tiff *.tif)"));
    };
}

// Reading a chosen picture stops at this many bytes.
constexpr qint64 PictureFileLimit = 64 * 1024 * 1024;

} // namespace

MorvaneWordView::MorvaneWordView(QWidget *parent)
    : QWidget(parent)
    , m_document(new WordTextDocument(this))
    , m_commit(new EditCommit(m_document, this))
    , m_saveLocation(UserFolders::desktopOrHome())
    , m_fontFamilies(QFontDatabase::families())
    , m_folderChooser(systemFolderChooser())
    , m_imageChooser(systemImageChooser())
    , m_printDialog(TextPrinter::systemPrintDialog())
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(createRibbonBar());
    layout->addWidget(createPageArea(), 1);
    m_statusBar = new WordStatusBar(this);
    layout->addWidget(m_statusBar);

    connect(m_commit, &EditCommit::committed, this, [this](TextCounts counts) {
        m_counts = counts;
        m_statusBar->setCounts(counts);
    });
    connect(m_statusBar, &WordStatusBar::zoomInRequested, this, &MorvaneWordView::zoomIn);
    connect(m_statusBar, &WordStatusBar::zoomOutRequested, this, &MorvaneWordView::zoomOut);
    connect(m_statusBar, &WordStatusBar::zoomChosen, this, &MorvaneWordView::setZoomLevel);
    m_focusConnection = connect(qApp, &QApplication::focusChanged, this,
                                [this](QWidget *, QWidget *now) { trackFocus(now); });
    connectRibbon();
    createShortcuts();
    createCards();
    connect(textItem(), &PageTextItem::pastedWithCuts, this, &MorvaneWordView::reportPasteCuts);

    m_lastFocused = m_page->textView();
    setFocusProxy(m_page->textView());
    showDocument([](WordTextDocument *document) { document->setPlainText(sampleText()); });
}

MorvaneWordView::~MorvaneWordView()
{
    // Focus moves while the children go; this object is no longer whole then.
    disconnect(m_focusConnection);
}

QString MorvaneWordView::sampleText()
{
    return QStringLiteral("ここにドチャクソかっこいい文章を入力...");
}

QWidget *MorvaneWordView::createRibbonBar()
{
    auto *bar = new TranslucentPanel(TranslucentPanel::Material::TitleBar,
                                     TranslucentPanel::Blending::WithinWindow, this);
    m_ribbon = new WordRibbon(m_fontFamilies);
    m_ribbon->setSelectedFontFamily(m_fontFamily);
    m_ribbon->setSelectedFontSize(m_fontSize);
    m_ribbon->setSelectedStyle(m_style);
    m_ribbon->setTextColor(m_textColor);
    m_ribbon->setHighlightColor(m_highlightColor);
    m_ribbon->setMargin(m_margin);
    m_ribbon->setVertical(m_vertical);
    auto *scroll = new HorizontalScrollArea(bar);
    scroll->setWidget(m_ribbon);
    scroll->setWidgetResizable(true);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->viewport()->setAutoFillBackground(false);
    m_ribbon->setAutoFillBackground(false);
    scroll->setFixedHeight(m_ribbon->sizeHint().height());
    auto *layout = new QVBoxLayout(bar);
    layout->setContentsMargins(16, 10, 16, 10);
    layout->addWidget(scroll);
    return bar;
}

QWidget *MorvaneWordView::createPageArea()
{
    auto *area = new QWidget(this);
    auto *layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_page = new PageCanvas(m_document);
    m_findBar = new FindBar(m_page->textView()->textItem(), area);
    m_pageArea = new PageArea(area);
    m_pageArea->setFrameShape(QFrame::NoFrame);
    // A click on the desk around the page leaves the keys with the text.
    m_pageArea->setFocusPolicy(Qt::NoFocus);
    m_pageArea->setWidgetResizable(true);
    m_pageArea->setWidget(new PageColumn(m_page));
    // The desk under the page: black at 5 % over the screen's background.
    m_pageArea->setStyleSheet(QStringLiteral("QScrollArea, QScrollArea > QWidget > QWidget { background: rgba(0, 0, 0, 13); }"));
    layout->addWidget(m_findBar);
    layout->addWidget(m_pageArea, 1);
    m_page->setMargin(m_margin);
    m_pageArea->setSpotFinder([this] { return caretInPageArea(); });
    connect(m_page->textView(), &TextPageView::caretMoved, this, &MorvaneWordView::keepCaretInSight);
    connect(m_findBar, &FindBar::matchSelected, this, &MorvaneWordView::keepCaretInSight);
    return area;
}

void MorvaneWordView::createShortcuts()
{
    const struct {
        QKeySequence keys;
        WordRibbon::Action action;
    } shortcuts[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_B), WordRibbon::Action::Bold},
        {QKeySequence(Qt::CTRL | Qt::Key_I), WordRibbon::Action::Italic},
        {QKeySequence(Qt::CTRL | Qt::Key_U), WordRibbon::Action::Underline},
        {QKeySequence(Qt::CTRL | Qt::Key_F), WordRibbon::Action::Find},
        {QKeySequence(Qt::CTRL | Qt::Key_P), WordRibbon::Action::Print},
    };
    for (const auto &shortcut : shortcuts) {
        // A window shortcut of a hidden screen is inactive, so these work
        // only while the word processor shows.
        auto *key = new QShortcut(shortcut.keys, this);
        key->setContext(Qt::WindowShortcut);
        const int action = int(shortcut.action);
        connect(key, &QShortcut::activated, this, [this, action] { runRibbonAction(action); });
    }
}

void MorvaneWordView::connectRibbon()
{
    connect(m_ribbon, &WordRibbon::fontFamilyChosen, this, [this](const QString &family) {
        m_fontFamily = family;
        TextFormattingHelper::applyFontFamily(focusedTextItem(), family);
    });
    connect(m_ribbon, &WordRibbon::fontSizeChosen, this, [this](qreal size) {
        m_fontSize = size;
        TextFormattingHelper::applyFontSize(focusedTextItem(), size);
    });
    connect(m_ribbon, &WordRibbon::paragraphStyleChosen, this, [this](const QString &style) {
        m_style = style;
        TextFormattingHelper::applyParagraphStyle(focusedTextItem(), style);
    });
    connect(m_ribbon, &WordRibbon::wordArtChosen, this,
            [this](WordArtStyle style) { TextFormattingHelper::applyWordArtStyle(focusedTextItem(), style); });
    connect(m_ribbon, &WordRibbon::textColorChosen, this, [this](const QColor &color) {
        m_textColor = color;
        TextFormattingHelper::applyTextColor(focusedTextItem(), color);
    });
    connect(m_ribbon, &WordRibbon::highlightColorChosen, this, [this](const QColor &color) {
        m_highlightColor = color;
        TextFormattingHelper::applyHighlightColor(focusedTextItem(), color);
    });
    connect(m_ribbon, &WordRibbon::marginChosen, this, &MorvaneWordView::setMarginSize);
    connect(m_ribbon, &WordRibbon::verticalChosen, this, &MorvaneWordView::setVertical);
    connect(m_ribbon, &WordRibbon::triggered, this,
            [this](WordRibbon::Action action) { runRibbonAction(int(action)); });
}

void MorvaneWordView::runRibbonAction(int action)
{
    using Action = WordRibbon::Action;
    PageTextItem *item = focusedTextItem();
    switch (Action(action)) {
    case Action::Bold:
        return TextFormattingHelper::addBold(item);
    case Action::Italic:
        return TextFormattingHelper::toggleItalic(item);
    case Action::Underline:
        return TextFormattingHelper::toggleUnderline(item);
    case Action::Strikethrough:
        return TextFormattingHelper::toggleStrikethrough(item);
    case Action::AlignLeft:
        return TextFormattingHelper::applyAlignment(item, Qt::AlignLeft);
    case Action::AlignCenter:
        return TextFormattingHelper::applyAlignment(item, Qt::AlignHCenter);
    case Action::AlignRight:
        return TextFormattingHelper::applyAlignment(item, Qt::AlignRight);
    case Action::InsertImage:
        return insertImage();
    case Action::BulletList:
        return ListToggle::toggleBullets(item);
    case Action::NumberedList:
        return ListToggle::toggleNumbers(item);
    case Action::Find:
        return find();
    case Action::Print:
        print();
        return;
    case Action::Open:
        setShowingOpenDialog(true);
        loadFiles();
        return;
    case Action::Save:
        setShowingSaveDialog(true);
        return;
    }
}

void MorvaneWordView::trackFocus(QWidget *now)
{
    if (now && isAncestorOf(now))
        m_lastFocused = now;
}

PageTextItem *MorvaneWordView::textItem() const
{
    return m_page->textView()->textItem();
}

PageTextItem *MorvaneWordView::focusedTextItem() const
{
    const QWidget *view = m_page->textView();
    if (m_lastFocused == view || m_lastFocused == m_page->textView()->viewport())
        return textItem();
    return nullptr;
}

void MorvaneWordView::showDocument(const std::function<void(WordTextDocument *)> &fill)
{
    m_commit->beginLoading();
    m_document->setUndoRedoEnabled(false);
    fill(m_document);
    m_document->setUndoRedoEnabled(true);
    m_commit->endLoading();
    QTextCursor start(m_document);
    textItem()->setTextCursor(start);
    showTextStart();
}

void MorvaneWordView::showTextStart()
{
    // The page's top, and its side where lines start: the right in vertical
    // writing.
    m_page->textView()->showStart();
    fitPageArea();
    QScrollBar *across = m_pageArea->horizontalScrollBar();
    across->setValue(m_vertical ? across->maximum() : across->minimum());
    m_pageArea->verticalScrollBar()->setValue(0);
}

void MorvaneWordView::loadFiles()
{
    const UserFolders::Listing listing = UserFolders::list(m_saveLocation);
    m_openFiles.clear();
    if (!listing.ok()) {
        printLine(listing.error);
        m_openCard->setFiles(m_openFiles);
        return;
    }
    const QDir folder(m_saveLocation);
    for (const QString &name : listing.names) {
        if (DocumentFormats::fromFileName(name))
            m_openFiles.append(folder.filePath(name));
    }
    m_openCard->setFiles(m_openFiles);
}

void MorvaneWordView::loadDocument(const QString &path)
{
    StyledText text;
    QString error;
    QString notice;
    if (!WordDocumentFiles::read(path, &text, &error, &notice)) {
        reportError(QStringLiteral("Open error: ") + error, m_openCard);
        return;
    }
    const QString extension = QFileInfo(path).suffix().toLower();
    deferToNextTurn(this, [this, text, extension, path, notice] {
        applyLoadedDocument(text, extension, path, notice);
    });
}

void MorvaneWordView::applyLoadedDocument(const StyledText &text, const QString &extension, const QString &path,
                                          const QString &notice)
{
    // Formats included: the document shows what was opened, even when its
    // plain text equals what was shown before.
    showDocument([&text](WordTextDocument *document) { StyledTextDocument::fill(document, text); });
    m_lastError.clear();
    if (extension == QLatin1String("dotx")) {
        m_fileName = QStringLiteral("Untitled");
        AppState::shared().setHasUnsavedChanges(AppState::Editor::Word, true);
    } else {
        QString file = path;
        while (file.endsWith(u'/') && file.size() > 1)
            file.chop(1);
        m_fileName = QFileInfo(file).completeBaseName();
        AppState::shared().setHasUnsavedChanges(AppState::Editor::Word, false);
    }
    m_lastNotice = notice;
    if (notice.isEmpty()) {
        setShowingOpenDialog(false);
        return;
    }
    // What the file lost shows where a refusal would, so that the user knows
    // before saving over it; the document shows behind the card.
    printLine(notice);
    if (!m_showingOpenDialog)
        setShowingOpenDialog(true);
    m_openCard->showError(notice);
}

bool MorvaneWordView::saveDocument()
{
    QString error;
    if (!SafeSave::checkFileName(m_fileName, &error)) {
        reportError(QStringLiteral("Save error: ") + error, m_saveCard);
        return false;
    }
    const QString path = QDir(m_saveLocation).filePath(m_fileName + u'.' + DocumentFormats::rawValue(m_format));
    const StyledText text = StyledTextDocument::toStyledText(*m_document);
    if (!WordDocumentFiles::write(text, path, m_format, &error)) {
        reportError(QStringLiteral("Save error: ") + error, m_saveCard);
        return false;
    }
    m_lastError.clear();
    setShowingSaveDialog(false);
    AppState::shared().setHasUnsavedChanges(AppState::Editor::Word, false);
    return true;
}

void MorvaneWordView::reportError(const QString &line, QWidget *card)
{
    // Users never see standard output: the card shows the same line.
    m_lastError = line;
    printLine(line);
    if (auto *dialog = qobject_cast<DialogCard *>(card))
        dialog->showError(line);
    emit errorReported(line);
}

void MorvaneWordView::reportPasteCuts(const QStringList &cuts)
{
    // A paste has no card: a message over the screen says it, without
    // holding up the drop or the key that pasted.
    const QString notice =
        QStringLiteral("The pasted text came in without parts that would take too long to read: %1.")
            .arg(cuts.join(QStringLiteral("; ")));
    printLine(notice);
    if (!m_pasteNotice) {
        m_pasteNotice = new QMessageBox(QMessageBox::Information, QStringLiteral("ペースト"), QString(),
                                        QMessageBox::Ok, this);
        m_pasteNotice->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_pasteNotice->setText(notice);
    m_pasteNotice->open();
}

void MorvaneWordView::createCards()
{
    m_saveCard = new SaveDocumentCard(this);
    m_openCard = new OpenDocumentCard(this);
    connect(m_saveCard, &SaveDocumentCard::chooseFolderRequested, this, &MorvaneWordView::chooseSaveFolder);
    connect(m_saveCard, &SaveDocumentCard::fileNameEdited, this, [this](const QString &name) { m_fileName = name; });
    connect(m_saveCard, &SaveDocumentCard::formatChosen, this, [this] { m_format = m_saveCard->format(); });
    connect(m_saveCard, &SaveDocumentCard::saveRequested, this, &MorvaneWordView::saveDocument);
    connect(m_saveCard, &DialogCard::closed, this, [this] {
        if (m_showingSaveDialog)
            setShowingSaveDialog(false);
        focusTextUnlessCardShows();
    });
    connect(m_openCard, &OpenDocumentCard::chooseFolderRequested, this, &MorvaneWordView::chooseOpenFolder);
    connect(m_openCard, &OpenDocumentCard::openRequested, this, &MorvaneWordView::loadDocument);
    connect(m_openCard, &DialogCard::closed, this, [this] {
        if (m_showingOpenDialog)
            setShowingOpenDialog(false);
        focusTextUnlessCardShows();
    });
}

void MorvaneWordView::setShowingSaveDialog(bool showing)
{
    m_showingSaveDialog = showing;
    if (showing) {
        m_saveCard->setLocation(m_saveLocation);
        m_saveCard->setFileName(m_fileName);
        m_saveCard->setFormat(m_format);
        m_saveCard->open();
        // The open card lies above the save card when both show.
        if (m_showingOpenDialog)
            m_openCard->raise();
    } else if (m_saveCard->isOpen()) {
        m_saveCard->close();
    }
    emit dialogsChanged();
}

void MorvaneWordView::setShowingOpenDialog(bool showing)
{
    m_showingOpenDialog = showing;
    if (showing) {
        m_openCard->setLocation(m_saveLocation);
        m_openCard->setFiles(m_openFiles);
        m_openCard->open();
    } else if (m_openCard->isOpen()) {
        m_openCard->close();
    }
    emit dialogsChanged();
}

bool MorvaneWordView::chooseFolder()
{
    const QString folder = m_folderChooser ? m_folderChooser(this, m_saveLocation) : QString();
    if (folder.isEmpty())
        return false;
    m_saveLocation = folder;
    m_saveCard->setLocation(folder);
    m_openCard->setLocation(folder);
    return true;
}

void MorvaneWordView::chooseSaveFolder()
{
    chooseFolder();
}

void MorvaneWordView::chooseOpenFolder()
{
    if (chooseFolder())
        loadFiles();
}

void MorvaneWordView::setZoomLevel(double zoom)
{
    const bool caretShown = caretInSight();
    m_zoom = ZoomLevel::clamped(zoom);
    m_page->setZoom(m_zoom);
    m_statusBar->setZoom(m_zoom);
    if (caretShown)
        keepCaretInSight();
}

void MorvaneWordView::zoomIn()
{
    setZoomLevel(ZoomLevel::zoomedIn(m_zoom));
}

void MorvaneWordView::zoomOut()
{
    setZoomLevel(ZoomLevel::zoomedOut(m_zoom));
}

void MorvaneWordView::setMarginSize(qreal margin)
{
    m_margin = qBound<qreal>(10, margin, 100);
    m_page->setMargin(m_margin);
    m_ribbon->setMargin(m_margin);
}

void MorvaneWordView::setVertical(bool vertical)
{
    m_vertical = vertical;
    m_page->setVertical(vertical);
    m_ribbon->setVertical(vertical);
    keepCaretInSight();
}

QString MorvaneWordView::headerText() const
{
    return m_page->headerField()->text();
}

QString MorvaneWordView::footerText() const
{
    return m_page->footerField()->text();
}

void MorvaneWordView::insertImage()
{
    const QString path = m_imageChooser ? m_imageChooser(this) : QString();
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > PictureFileLimit)
        return;
    const QByteArray bytes = file.read(PictureFileLimit);
    // The target is looked up once the file is chosen.
    if (PageTextItem *item = focusedTextItem())
        item->insertPicture(bytes);
}

void MorvaneWordView::find()
{
    if (focusedTextItem())
        m_findBar->open();
}

bool MorvaneWordView::print()
{
    PageTextItem *item = focusedTextItem();
    if (!item || !m_printDialog)
        return false;
    QPrinter printer(QPrinter::HighResolution);
    if (!m_printDialog(&printer, this))
        return false;
    return TextPrinter::print(item, &printer, m_margin, m_page->textView()->columnArea()) > 0;
}

void MorvaneWordView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Shown at start or chosen in the sidebar: keys typed now go to the
    // text, not to whatever had the focus before.
    if (!event->spontaneous() && !m_showingSaveDialog && !m_showingOpenDialog)
        m_page->textView()->setFocus(Qt::OtherFocusReason);
}

void MorvaneWordView::focusTextUnlessCardShows()
{
    if (m_showingSaveDialog || m_showingOpenDialog || !isVisible())
        return;
    if (!isAncestorOf(QApplication::focusWidget()))
        m_page->textView()->setFocus(Qt::OtherFocusReason);
}

void MorvaneWordView::fitPageArea()
{
    // A new page size reaches the scroll area in two posted layout requests:
    // the page's column takes it, then the area takes the column's.
    for (int step = 0; step < 2; ++step)
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
}

bool MorvaneWordView::caretInSight() const
{
    const TextPageView *text = m_page->textView();
    const QRect caret = text->caretOnViewport();
    const QRect inArea(text->viewport()->mapTo(m_pageArea->viewport(), caret.topLeft()), caret.size());
    return text->viewport()->rect().contains(caret.center()) && m_pageArea->viewport()->rect().contains(inArea.center());
}

QRect MorvaneWordView::caretInPageArea() const
{
    const TextPageView *text = m_page->textView();
    const QRect caret = text->caretOnViewport();
    if (!text->viewport()->rect().contains(caret.center()))
        return QRect();
    return QRect(text->viewport()->mapTo(m_pageArea->widget(), caret.topLeft()), caret.size());
}

void MorvaneWordView::keepCaretInSight()
{
    fitPageArea();
    TextPageView *text = m_page->textView();
    const QRect caret = text->showCaret();
    m_pageArea->showSpot(QRect(text->viewport()->mapTo(m_pageArea->widget(), caret.topLeft()), caret.size()));
}

void MorvaneWordView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), TranslucentPanel::fillColor(TranslucentPanel::Material::UnderWindowBackground, palette()));
}
