#pragma once

#include "LongTextLineEdit.h"

// The grid's one in-place cell editor. Input methods compose inside it as
// in any line edit; only committed text reaches fullText().
//
// commitRequested fires on Return/Enter (outside a composition, where the
// input method keeps the key) and when focus moves to another widget of the
// window; a focus change to a popup menu or another window keeps editing.
// cancelRequested fires on Escape. Tab and Shift+Tab stay in the editor
// (they would move the focus out of the grid) and fire stepRequested with +1
// or -1, for the grid to commit and edit the next or previous cell of the row.
class CellEditor : public LongTextLineEdit
{
    Q_OBJECT
public:
    explicit CellEditor(QWidget *parent = nullptr);

signals:
    void commitRequested();
    void cancelRequested();
    void stepRequested(int columnStep);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool focusNextPrevChild(bool next) override;
};
