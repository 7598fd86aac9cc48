#pragma once

#include "spreadsheet/engine/model/ExcelObject.h"

#include <QWidget>

class ColorSwatchButton;
class FormulaBar;
class QHBoxLayout;
class QMenu;
class QToolButton;

// Insertion or deletion of a whole row or column at the selected cell.
enum class GridLineOperation { Insert, Delete };

// The spreadsheet's toolbar row: file buttons, chart, the "セル編集" menu,
// merge, macro, the bold and italic toggles, the text and fill colour
// pickers, the "図形挿入" menu and the formula bar. It keeps no state: every
// control emits a request, and the set…() loaders show the selected cell's
// state without emitting anything.
class ExcelToolbar : public QWidget
{
    Q_OBJECT
public:
    explicit ExcelToolbar(QWidget *parent = nullptr);

    void setBoldActive(bool active);
    void setItalicActive(bool active);
    void setTextColor(const QColor &color);
    void setBackgroundColor(const QColor &color);

    FormulaBar *formulaBar() const { return m_formulaBar; }
    QToolButton *openButton() const { return m_openButton; }
    QToolButton *saveButton() const { return m_saveButton; }
    QToolButton *chartButton() const { return m_chartButton; }
    QToolButton *cellMenuButton() const { return m_cellMenuButton; }
    QToolButton *mergeButton() const { return m_mergeButton; }
    QToolButton *macroButton() const { return m_macroButton; }
    QToolButton *boldButton() const { return m_boldButton; }
    QToolButton *italicButton() const { return m_italicButton; }
    ColorSwatchButton *textColorButton() const { return m_textColorButton; }
    ColorSwatchButton *backgroundColorButton() const { return m_backgroundColorButton; }
    QToolButton *clearBackgroundButton() const { return m_clearBackgroundButton; }
    QToolButton *shapeMenuButton() const { return m_shapeMenuButton; }

signals:
    void openRequested();
    void saveRequested();
    void chartRequested();
    void rowOperationRequested(GridLineOperation operation);
    void columnOperationRequested(GridLineOperation operation);
    void mergeRequested();
    void macroRequested();
    void boldToggled();
    void italicToggled();
    void textColorPicked(const QColor &color);
    void backgroundColorPicked(const QColor &color);
    void backgroundCleared();
    void objectInsertRequested(ExcelObjectType type);
    void formulaEdited(const QString &text);

private:
    QToolButton *addLabelledButton(const QString &symbol, const QString &text);
    QToolButton *addToggle(const QString &symbol);
    QMenu *addMenuButton(const QString &symbol, const QString &text, QToolButton **button);
    void addDivider();
    void addColorGroups();
    void buildCellMenu(QMenu *menu);
    void buildShapeMenu(QMenu *menu);

    QHBoxLayout *m_layout;
    QToolButton *m_openButton;
    QToolButton *m_saveButton;
    QToolButton *m_chartButton;
    QToolButton *m_cellMenuButton = nullptr;
    QToolButton *m_mergeButton;
    QToolButton *m_macroButton;
    QToolButton *m_boldButton;
    QToolButton *m_italicButton;
    ColorSwatchButton *m_textColorButton = nullptr;
    ColorSwatchButton *m_backgroundColorButton = nullptr;
    QToolButton *m_clearBackgroundButton = nullptr;
    QToolButton *m_shapeMenuButton = nullptr;
    FormulaBar *m_formulaBar;
};
