#include "MorvanePowerPointView.h"

#include "ObjectSelection.h"
#include "OpenPresentationDialog.h"
#include "PowerPointSlideShowView.h"
#include "PresentationToolbar.h"
#include "SavePresentationDialog.h"
#include "SlideCanvas.h"
#include "SlideCanvasArea.h"
#include "SlideInspector.h"
#include "SlideListModel.h"
#include "SlideListView.h"
#include "platform/AppState.h"
#include "platform/ConsoleLog.h"
#include "platform/FileMessage.h"
#include "platform/SafeSave.h"
#include "platform/UserFolders.h"
#include "platform/widgets/KeyboardFence.h"
#include "platform/widgets/TextStyles.h"
#include "platform/widgets/TranslucentPanel.h"
#include "presentation/document/PowerPointDocument.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

constexpr int slideListWidth = 180;
constexpr int inspectorWidth = 250;

QFrame *columnDivider(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Plain);
    TextStyles::dimText(line, 0.2f);
    return line;
}

void setUnsaved(bool unsaved)
{
    AppState::shared().setHasUnsavedChanges(AppState::Editor::Presentation, unsaved);
}

} // namespace

MorvanePowerPointView::MorvanePowerPointView(QWidget *parent)
    : QWidget(parent)
    , m_document(new PowerPointDocument(this))
    , m_selection(new ObjectSelection(this))
    , m_keyboardFence(new KeyboardFence(this))
    , m_selectedSaveLocation(UserFolders::desktopOrHome())
{
    auto *mainColumn = new TranslucentPanel(TranslucentPanel::Material::UnderWindowBackground,
                                            TranslucentPanel::Blending::BehindWindow, this);
    m_toolbar = new PresentationToolbar(mainColumn);
    auto *column = new QVBoxLayout(mainColumn);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_toolbar);
    column->addWidget(createEditorRow(), 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(mainColumn);

    m_saveDialog = new SavePresentationDialog(this);
    m_openDialog = new OpenPresentationDialog(this);
    m_saveDialog->setFileName(m_fileName);
    m_saveDialog->setFormat(m_selectedFormat);
    m_saveDialog->setLocation(m_selectedSaveLocation);
    m_openDialog->setLocation(m_selectedSaveLocation);

    connectDocument();
    connectCards();
    documentChanged();
}

QWidget *MorvanePowerPointView::createEditorRow()
{
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(createSlideListColumn());
    layout->addWidget(columnDivider(row));

    m_canvas = new SlideCanvas(m_selection);
    m_canvasArea = new SlideCanvasArea(m_canvas, row);
    layout->addWidget(m_canvasArea, 1);
    layout->addWidget(columnDivider(row));

    auto *inspectorColumn = new TranslucentPanel(TranslucentPanel::Material::Sidebar,
                                                 TranslucentPanel::Blending::WithinWindow, row);
    inspectorColumn->setFixedWidth(inspectorWidth);
    m_inspector = new SlideInspector(m_document, m_selection, inspectorColumn);
    auto *inspectorLayout = new QVBoxLayout(inspectorColumn);
    inspectorLayout->setContentsMargins(0, 0, 0, 0);
    inspectorLayout->addWidget(m_inspector);
    layout->addWidget(inspectorColumn);
    return row;
}

QWidget *MorvanePowerPointView::createSlideListColumn()
{
    auto *column = new TranslucentPanel(TranslucentPanel::Material::Sidebar,
                                        TranslucentPanel::Blending::WithinWindow);
    column->setFixedWidth(slideListWidth);
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 10, 0, 0);
    layout->setSpacing(8);
    QLabel *heading = TextStyles::label(QStringLiteral("スライド一覧"), TextStyle::Headline, column);
    heading->setAlignment(Qt::AlignCenter);
    layout->addWidget(heading);
    m_slideListModel = new SlideListModel(this);
    m_slideList = new SlideListView(m_slideListModel, column);
    layout->addWidget(m_slideList, 1);
    return column;
}

void MorvanePowerPointView::connectDocument()
{
    connect(m_document, &PowerPointDocument::slidesChanged, this, &MorvanePowerPointView::documentChanged);
    connect(m_document, &PowerPointDocument::currentSlideIndexChanged, this,
            &MorvanePowerPointView::documentChanged);

    connect(m_toolbar, &PresentationToolbar::addSlideRequested, m_document, &PowerPointDocument::addSlide);
    connect(m_toolbar, &PresentationToolbar::deleteSlideRequested, this,
            [this] { m_document->deleteSlide(m_document->currentSlideIndex()); });
    connect(m_toolbar, &PresentationToolbar::insertRequested, this, &MorvanePowerPointView::insertObject);
    connect(m_toolbar, &PresentationToolbar::slideShowRequested, this, &MorvanePowerPointView::startSlideShow);
    connect(m_toolbar, &PresentationToolbar::openRequested, this, &MorvanePowerPointView::showOpenDialog);
    connect(m_toolbar, &PresentationToolbar::saveRequested, this, &MorvanePowerPointView::showSaveDialog);

    connect(m_slideList, &SlideListView::rowClicked, this, &MorvanePowerPointView::selectSlide);
    connect(m_slideList, &SlideListView::moveRequested, m_document, &PowerPointDocument::moveSlides);
    connect(m_canvas, &SlideCanvas::updateRequested, this, [this](const SlideObject &edited) {
        m_document->updateObject(m_document->currentSlideIndex(), edited);
    });
}

void MorvanePowerPointView::connectCards()
{
    connect(m_saveDialog, &SavePresentationDialog::fileNameEdited, this,
            [this](const QString &name) { m_fileName = name; });
    connect(m_saveDialog, &SavePresentationDialog::formatChosen, this,
            [this] { m_selectedFormat = m_saveDialog->format(); });
    connect(m_saveDialog, &SavePresentationDialog::chooseFolderRequested, this, &MorvanePowerPointView::chooseFolder);
    connect(m_saveDialog, &SavePresentationDialog::saveRequested, this, &MorvanePowerPointView::savePresentation);
    connect(m_openDialog, &OpenPresentationDialog::chooseFolderRequested, this, [this] {
        chooseFolder();
        refreshOpenFiles();
    });
    connect(m_openDialog, &OpenPresentationDialog::openRequested, this, &MorvanePowerPointView::openPresentation);
    connect(m_saveDialog, &DialogOverlay::closed, this, &MorvanePowerPointView::updateKeyboardOwner);
    connect(m_openDialog, &DialogOverlay::closed, this, &MorvanePowerPointView::updateKeyboardOwner);
}

void MorvanePowerPointView::documentChanged()
{
    m_toolbar->setSlideCount(m_document->slideCount());
    m_slideListModel->refresh(m_document->slides(), m_document->currentSlideIndex());
    const Slide *slide = m_document->currentSlide();
    m_canvasArea->setHasSlide(slide);
    if (slide)
        m_canvas->setSlide(*slide);
    m_inspector->refresh();
}

void MorvanePowerPointView::selectSlide(int index)
{
    m_document->setCurrentSlideIndex(index);
    m_selection->clear();
}

void MorvanePowerPointView::insertObject(SlideObjectType type)
{
    m_document->addObject(type, m_document->currentSlideIndex());
}

void MorvanePowerPointView::startSlideShow()
{
    if (m_slideShow)
        return;
    m_slideShowIndex = m_document->currentSlideIndex();
    m_focusBeforeShow = QApplication::focusWidget();
    m_slideShow = new PowerPointSlideShowView(m_document->slides(), m_slideShowIndex, this);
    connect(m_slideShow, &PowerPointSlideShowView::finished, this, &MorvanePowerPointView::endSlideShow);
    m_slideShow->setGeometry(rect());
    m_slideShow->show();
    m_slideShow->raise();
    m_slideShow->setFocus(Qt::OtherFocusReason);
    updateKeyboardOwner();
}

void MorvanePowerPointView::endSlideShow()
{
    if (!m_slideShow)
        return;
    m_slideShow->hide();
    m_slideShow->deleteLater();
    m_slideShow = nullptr;
    updateKeyboardOwner();
    if (m_focusBeforeShow && m_focusBeforeShow->isVisible())
        m_focusBeforeShow->setFocus(Qt::OtherFocusReason);
}

// The topmost overlay owns the keyboard: the show over the cards, the open
// card over the save card.
void MorvanePowerPointView::updateKeyboardOwner()
{
    QWidget *owner = nullptr;
    if (m_slideShow)
        owner = m_slideShow;
    else if (m_openDialog->isOpen())
        owner = m_openDialog;
    else if (m_saveDialog->isOpen())
        owner = m_saveDialog;
    m_keyboardFence->setOwner(owner);
}

void MorvanePowerPointView::showOpenDialog()
{
    m_openDialog->setLocation(m_selectedSaveLocation);
    refreshOpenFiles();
    m_openDialog->open();
    updateKeyboardOwner();
}

void MorvanePowerPointView::showSaveDialog()
{
    m_saveDialog->setFileName(m_fileName);
    m_saveDialog->setFormat(m_selectedFormat);
    m_saveDialog->setLocation(m_selectedSaveLocation);
    m_saveDialog->open();
    updateKeyboardOwner();
    m_saveDialog->fileNameField()->setFocus(Qt::OtherFocusReason);
}

void MorvanePowerPointView::refreshOpenFiles()
{
    const UserFolders::Listing listing = UserFolders::list(m_selectedSaveLocation);
    QStringList files;
    if (listing.ok()) {
        const QDir folder(m_selectedSaveLocation);
        for (const QString &name : listing.names) {
            const QString extension = QFileInfo(name).suffix().toLower();
            if (extension == QLatin1String("pptx") || extension == QLatin1String("potx"))
                files.append(folder.filePath(name));
        }
    } else {
        printLine(listing.error);
    }
    m_openDialog->showError(listing.error);
    m_openFiles = files;
    m_openDialog->setFiles(m_openFiles);
}

void MorvanePowerPointView::chooseFolder()
{
    const QString folder = m_folderChooser ? m_folderChooser(this, m_selectedSaveLocation) : QString();
    if (!folder.isEmpty())
        setSelectedSaveLocation(folder);
}

void MorvanePowerPointView::setSelectedSaveLocation(const QString &folder)
{
    m_selectedSaveLocation = folder;
    m_saveDialog->setLocation(folder);
    m_openDialog->setLocation(folder);
}

bool MorvanePowerPointView::savePresentation()
{
    QString reason;
    bool saved = SafeSave::checkFileName(m_fileName, &reason);
    if (saved) {
        const QString name = m_fileName + QLatin1Char('.') + PPTXFileFormats::extension(m_selectedFormat);
        PresentationError error;
        saved = m_document->exportPPTX(QDir(m_selectedSaveLocation).filePath(name), &error);
        reason = error.toString();
    }
    if (!saved) {
        const QString message = QStringLiteral("Export PowerPoint error: ") + reason;
        printLine(message);
        m_saveDialog->showError(message);
        return false;
    }
    m_saveDialog->close();
    setUnsaved(false);
    return true;
}

bool MorvanePowerPointView::openPresentation(const QString &path)
{
    PresentationError error;
    if (!m_document->importPPTX(path, &error)) {
        const QString message = QStringLiteral("Import PowerPoint error: ") + FileMessage::cannotOpen(path, error.toString());
        printLine(message);
        m_openDialog->showError(message);
        return false;
    }
    const QFileInfo file(path);
    const bool isTemplate = file.suffix().toLower() == QLatin1String("potx");
    m_fileName = isTemplate ? QStringLiteral("UntitledPresentation") : file.completeBaseName();
    m_saveDialog->setFileName(m_fileName);
    m_selection->clear();
    setUnsaved(isTemplate);
    m_openDialog->close();
    return true;
}

void MorvanePowerPointView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (m_slideShow)
        m_slideShow->setGeometry(rect());
}

PowerPointSlideShowView *MorvanePowerPointView::slideShow() const
{
    return m_slideShow;
}
