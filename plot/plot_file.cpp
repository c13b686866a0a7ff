// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/plot_file.h"

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
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return failure(path, file.errorString());
    }
    const QRectF rect(QPointF(0, 0), QSizeF(size));
    if (format == PictureFormat::Svg) {
        QSvgGenerator svg;
        svg.setOutputDevice(&file);
        svg.setSize(size);
        svg.setViewBox(rect);
        svg.setTitle(QFileInfo(QString::fromStdString(session.source)).fileName());
        svg.setDescription(QStringLiteral("The timeline of a session, drawn by Tovin"));
        QPainter painter(&svg);
        DrawTimeline(painter, rect, session, timeline, view);
        painter.end();
    } else {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        if (image.isNull()) {
            return failure(path, QStringLiteral("not enough memory for the image"));
        }
        QPainter painter(&image);
        DrawTimeline(painter, rect, session, timeline, view);
        painter.end();
        if (!image.save(&file, "PNG")) {
            return failure(path, file.errorString());
        }
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        return failure(path, file.errorString());
    }
    return "";
}

}  // namespace plot
