#include "AppState.h"

AppState &AppState::shared()
{
    static AppState *instance = new AppState; // lives until the process ends
    return *instance;
}

void AppState::setHasUnsavedChanges(Editor editor, bool unsaved)
{
    if (unsaved)
        m_unsaved |= bit(editor);
    else
        m_unsaved &= ~bit(editor);
    emit hasUnsavedChangesChanged(hasUnsavedChanges());
}
