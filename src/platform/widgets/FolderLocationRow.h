#pragma once

#include <QWidget>

class QLabel;
class QPushButton;

// "場所:", the folder's path on one line (elided in the middle, at most 250
// pixels wide) and the "変更..." button, which emits changeRequested.
class FolderLocationRow : public QWidget
{
    Q_OBJECT
public:
    explicit FolderLocationRow(QWidget *parent = nullptr);

    QString path() const { return m_path; }
    void setPath(const QString &path);
    QPushButton *changeButton() const { return m_changeButton; }

signals:
    void changeRequested();

private:
    QString m_path;
    QLabel *m_pathLabel;
    QPushButton *m_changeButton;
};
