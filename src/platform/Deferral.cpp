#include "Deferral.h"

#include <QCoreApplication>

void deferToNextTurn(QObject *owner, std::function<void()> task)
{
    QObject *context = owner ? owner : QCoreApplication::instance();
    QMetaObject::invokeMethod(context, std::move(task), Qt::QueuedConnection);
}
