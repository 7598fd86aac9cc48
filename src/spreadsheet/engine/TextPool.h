#pragma once

#include <QByteArrayView>
#include <QHash>
#include <QString>

// Gives repeated short ASCII texts (numbers, labels) as one shared string, so
// a sheet's cells cost one allocation per distinct text rather than one each.
// Keys are views of the caller's bytes, which must outlive the pool.
class TextPool
{
public:
    // `ascii` as a string, shared with earlier equal texts while the pool
    // holds fewer than maxTexts; texts longer than maxLength are never pooled.
    QString text(QByteArrayView ascii);

    static constexpr qsizetype maxLength = 48;
    static constexpr qsizetype maxTexts = 1 << 16;

private:
    QHash<QByteArrayView, QString> m_texts;
};
