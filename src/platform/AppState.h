#pragma once

#include <QObject>

// The application-wide unsaved-changes state. Each editor owns one share and
// sets or clears only that; hasUnsavedChanges() is true while any share is
// set, and it is what the quit prompt reads.
class AppState : public QObject
{
    Q_OBJECT
public:
    enum class Editor { Word, Spreadsheet, Presentation };

    // The one instance, made on first use.
    static AppState &shared();

    bool hasUnsavedChanges() const { return m_unsaved != 0; }
    bool hasUnsavedChanges(Editor editor) const { return m_unsaved & bit(editor); }
    // Emits hasUnsavedChangesChanged on every call, even when nothing changes.
    void setHasUnsavedChanges(Editor editor, bool unsaved);

signals:
    void hasUnsavedChangesChanged(bool anyUnsaved);

private:
    AppState() = default;
    static unsigned bit(Editor editor) { return 1u << unsigned(editor); }
    unsigned m_unsaved = 0;
};
