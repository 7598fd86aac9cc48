#pragma once

#include <QWidget>

class QAction;
class QLabel;
class QToolButton;

// One tab of the sheet tab bar: the sheet's name and, when the workbook has
// more than one sheet, a close button, on a rounded background ("#107C41"
// while active). A click emits clicked; the close button emits
// closeClicked; the context menu holds the "名前を変更" action, which emits
// renameRequested.
class SheetTab : public QWidget
{
    Q_OBJECT
public:
    explicit SheetTab(QWidget *parent = nullptr);

    QString name() const;
    bool isActive() const { return m_active; }
    // Loads name, active look and close button; emits nothing.
    void setState(const QString &name, bool active, bool closable);

    QToolButton *closeButton() const { return m_closeButton; }
    QAction *renameAction() const { return m_renameAction; }

signals:
    void clicked();
    void closeClicked();
    void renameRequested();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void applyLook();

    QLabel *m_label;
    QToolButton *m_closeButton;
    QAction *m_renameAction;
    bool m_active = false;
};
