#pragma once

#include <QAbstractButton>
#include <QToolButton>

// The ribbon's symbol button: the symbol with 8 of padding on a rounded
// translucent tile (radius 8). It never takes the keyboard focus, so the
// text keeps it while the ribbon is used.
class RibbonIconButton : public QToolButton
{
    Q_OBJECT
public:
    RibbonIconButton(const QString &symbol, const QString &toolTip, QWidget *parent = nullptr);

    QString symbol() const { return m_symbol; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_symbol;
};

// The WordArt menu's button: a yellow "A" with a red shadow on a dim tile,
// 40 wide.
class WordArtMenuButton : public QToolButton
{
    Q_OBJECT
public:
    explicit WordArtMenuButton(QWidget *parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A switch with its label on the left, as the vertical-writing control.
class ToggleSwitch : public QAbstractButton
{
    Q_OBJECT
public:
    explicit ToggleSwitch(const QString &label, QWidget *parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

// The ribbon's blue "Save" capsule.
class CapsuleButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit CapsuleButton(const QString &text, QWidget *parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};
