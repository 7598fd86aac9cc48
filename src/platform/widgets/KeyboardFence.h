#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// Keeps the keyboard inside an overlay (a dialog card, a slide show) that
// covers part of a screen: while an owner is set, key and input-method
// events meant for a widget of `covered` outside the owner are dropped and
// focus goes to the owner instead, so Tab or a stray focus change cannot
// edit what lies hidden under it. Clearing the owner lifts the fence.
class KeyboardFence : public QObject
{
    Q_OBJECT
public:
    explicit KeyboardFence(QWidget *covered);
    ~KeyboardFence() override;

    // The overlay that owns the keyboard now, or nullptr for none.
    void setOwner(QWidget *owner);
    QWidget *owner() const { return m_owner; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool isFenced(QObject *receiver) const;
    void focusOwner();

    QWidget *m_covered;
    QPointer<QWidget> m_owner;
};
