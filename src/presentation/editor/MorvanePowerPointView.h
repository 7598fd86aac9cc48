#pragma once

#include "PPTXFileFormat.h"
#include "platform/widgets/FolderChooser.h"
#include "presentation/document/SlideObjectType.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>

class KeyboardFence;
class ObjectSelection;
class OpenPresentationDialog;
class PowerPointDocument;
class PowerPointSlideShowView;
class PresentationToolbar;
class SavePresentationDialog;
class SlideCanvas;
class SlideCanvasArea;
class SlideInspector;
class SlideListModel;
class SlideListView;

// The presentation editor screen: the toolbar over the slide list, the
// canvas and the inspector, with the slide show and the save and open
// cards laid over them while they run. It owns the document (a new one has
// one slide) and the editor's state: the selection, the file name, the
// format and the one folder used for saving and opening (the Desktop, or
// home when there is none). The views follow the document's signals; only
// a user's action writes.
class MorvanePowerPointView : public QWidget
{
    Q_OBJECT
public:
    explicit MorvanePowerPointView(QWidget *parent = nullptr);

    PowerPointDocument *document() const { return m_document; }
    ObjectSelection *selection() const { return m_selection; }
    QString documentName() const { return m_fileName; }
    QString folder() const { return m_selectedSaveLocation; }
    PPTXFileFormat selectedFormat() const { return m_selectedFormat; }
    QStringList openFiles() const { return m_openFiles; }
    int slideShowIndex() const { return m_slideShowIndex; }

    // Tests and screenshots choose the folder without a dialog.
    void setFolderChooser(FolderChooser chooser) { m_folderChooser = std::move(chooser); }
    void setSelectedSaveLocation(const QString &folder);

    // Toolbar actions.
    void insertObject(SlideObjectType type);
    void startSlideShow();
    void showOpenDialog();
    void showSaveDialog();
    // Lists the folder's .pptx and .potx entries (any case, hidden ones
    // too) for the open card; a folder that cannot be listed prints its
    // error, shows it on the card and gives an empty list.
    void refreshOpenFiles();

    // Saves to the folder as <file name>.<extension>; a refused name or a
    // failed write prints "Export PowerPoint error: <reason>", shows it on
    // the card and keeps the card open. True when saved.
    bool savePresentation();
    // Opens the package at `path`; a failure prints "Import PowerPoint
    // error: <reason>", shows it on the card and changes nothing.
    bool openPresentation(const QString &path);

    PresentationToolbar *toolbar() const { return m_toolbar; }
    SlideListView *slideList() const { return m_slideList; }
    SlideCanvas *canvas() const { return m_canvas; }
    SlideCanvasArea *canvasArea() const { return m_canvasArea; }
    SlideInspector *inspector() const { return m_inspector; }
    SavePresentationDialog *saveDialog() const { return m_saveDialog; }
    OpenPresentationDialog *openDialog() const { return m_openDialog; }
    PowerPointSlideShowView *slideShow() const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QWidget *createEditorRow();
    QWidget *createSlideListColumn();
    void connectDocument();
    void connectCards();
    void documentChanged();
    void selectSlide(int index);
    void chooseFolder();
    void endSlideShow();
    void updateKeyboardOwner();

    PowerPointDocument *m_document;
    ObjectSelection *m_selection;
    PresentationToolbar *m_toolbar = nullptr;
    SlideListModel *m_slideListModel = nullptr;
    SlideListView *m_slideList = nullptr;
    SlideCanvas *m_canvas = nullptr;
    SlideCanvasArea *m_canvasArea = nullptr;
    SlideInspector *m_inspector = nullptr;
    SavePresentationDialog *m_saveDialog = nullptr;
    OpenPresentationDialog *m_openDialog = nullptr;
    QPointer<PowerPointSlideShowView> m_slideShow;
    QPointer<QWidget> m_focusBeforeShow;
    KeyboardFence *m_keyboardFence;

    QString m_fileName = QStringLiteral("MorvanePresentation");
    PPTXFileFormat m_selectedFormat = PPTXFileFormat::Pptx;
    QString m_selectedSaveLocation;
    QStringList m_openFiles;
    int m_slideShowIndex = 0;
    FolderChooser m_folderChooser = systemFolderChooser();
};
