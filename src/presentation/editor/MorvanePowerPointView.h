#pragma once

#include <QString>
#include <QWidget>

// The presentation screen (placeholder slide until the editor is built): a
// new document named "MorvanePresentation" whose folder for opening and
// saving starts at the user's Desktop, or the home folder when there is none.
class MorvanePowerPointView : public QWidget
{
    Q_OBJECT
public:
    explicit MorvanePowerPointView(QWidget *parent = nullptr);

    QString documentName() const { return m_documentName; }
    QString folder() const { return m_folder; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QWidget *m_toolbar;
    QString m_documentName = QStringLiteral("MorvanePresentation");
    QString m_folder;
};
