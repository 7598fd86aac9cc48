#pragma once

#include "platform/widgets/DialogCard.h"

class QLabel;
class QPushButton;

// The card that shows a macro's MsgBox text ("VBAからのメッセージ"). A new
// message replaces the shown one; "OK" or a click on the backdrop closes it,
// and the text stays for the next showing until a new message replaces it.
class VbaMessageOverlay : public DialogCard
{
    Q_OBJECT
public:
    explicit VbaMessageOverlay(QWidget *parent);

    // Shows `text` verbatim and opens (raising the card above other cards).
    void showMessage(const QString &text);
    QString message() const;

    QPushButton *okButton() const { return m_okButton; }

private:
    QLabel *m_message;
    QPushButton *m_okButton;
};
