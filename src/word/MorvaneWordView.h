#pragma once

#include <QString>
#include <QWidget>

// The word-processing screen (placeholder page until the editor is built):
// a new document named "MorvaneDocument" whose folder for opening and saving
// starts at the user's Desktop, or the home folder when there is none.
class MorvaneWordView : public QWidget
{
    Q_OBJECT
public:
    explicit MorvaneWordView(QWidget *parent = nullptr);

    QString documentName() const { return m_documentName; }
    QString folder() const { return m_folder; }

private:
    QWidget *createPage();

    QString m_documentName = QStringLiteral("MorvaneDocument");
    QString m_folder;
};
