// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/plot_file.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include "plot/draw_timeline.h"

namespace plot {
namespace {

std::string failure(const std::string& path, const QString& reason) {
    return "cannot write " + path + ": " + reason.toStdString();
}

}  // namespace

std::string WritePicture(const std::string& path, PictureFormat format, QSize size,
                         const session::Session& session, const session::Timeline& timeline,
                         const PlotView& view) {
    // Drawn into memory first: QSvgGenerator's stream and the PNG writer do not say when a
    // write fails (a full disk), and the file's own writes below do.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QRectF rect(QPointF(0, 0), QSizeF(size));
    if (format == PictureFormat::Svg) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setResolution(96);  // a pixel of the picture is a CSS pixel where it is shown
        svg.setViewBox(rect);
        svg.setTitle(QFileInfo(QString::fromStdString(session.source)).fileName());
        svg.setDescription(QStringLiteral("The timeline of a session, drawn by Tovin"));
        QPainter painter(&svg);
        DrawTimeline(painter, rect, session, timeline, view);
    } else {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        if (image.isNull()) {
            return failure(path, QStringLiteral("not enough memory for the image"));
        }
        QPainter painter(&image);
        DrawTimeline(painter, rect, session, timeline, view);
        painter.end();
        image.save(&buffer, "PNG");
    }
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size() || !file.flush()) {
        return failure(path, file.errorString());
    }
    return "";
}

}  // namespace plot
