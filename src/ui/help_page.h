// The help page: the configuration steps on a pale green card, painted as vector text so
// it stays crisp at any scale.
#pragma once

#include <QWidget>

namespace zc {

class HelpPicture : public QWidget
{
    Q_OBJECT
public:
    explicit HelpPicture(QWidget *parent = nullptr);
    static QString title();
    static QStringList steps();
    // The keys of the pages' buttons, one line.
    static QString keys();
    // Where the key list is drawn: at the bottom, as tall as its wrapped lines.
    QRectF keysRect() const;

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QFont keysFont() const;
};

} // namespace zc
