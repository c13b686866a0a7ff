// SPDX-License-Identifier: GPL-3.0-or-later
#include "editor/export_picture.h"

#include "plot/plot_file.h"

namespace editor {

std::optional<QString> ExportPicture(const player::PlayItem& item, const QString& path,
                                     QSize size) {
    const std::string name = path.toStdString();
    const std::optional<plot::PictureFormat> format = plot::PictureFormatOf(name);
    if (!format) {
        return QString("Choose a file ending in .png or .svg.");
    }
    const QSize drawn(std::max(size.width(), 640), std::max(size.height(), 360));
    const std::string error =
        plot::WritePicture(name, *format, drawn, item.session, item.timeline, plot::PlotView{});
    if (error.empty()) {
        return std::nullopt;
    }
    QString reason = QString::fromStdString(error);
    reason[0] = reason[0].toUpper();
    return reason;
}

}  // namespace editor
