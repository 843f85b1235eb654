// The frame's pictures and the program logo.
#include "painter.h"

QUZ_PICTURE_FOLDER(dialog, "Dialog")
{
    QImage logo = canvas(64, 64);
    {
        QPainter p(&logo);
        p.setRenderHint(QPainter::Antialiasing);
        QLinearGradient g(0, 0, 64, 64);
        g.setColorAt(0, QColor(40, 170, 255));
        g.setColorAt(1, QColor(20, 90, 200));
        p.setBrush(g);
        p.setPen(Qt::NoPen);
        p.drawRoundedRect(4, 4, 56, 56, 14, 14);
        p.setPen(QPen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(30, 30), 13, 13);
        p.drawLine(QPointF(38, 38), QPointF(47, 47));
    }
    return savePng(logo, dir + "/Logo.png");
}
