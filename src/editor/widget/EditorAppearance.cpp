#include "editor/widget/EditorAppearance.h"

QColor ToQColor(RgbColor rgb)
{
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

QColor ResolveColor(const TEditorColor& color, const QPalette& palette)
{
    switch (color.Role) {
    case TPlatformColor::None: return {};
    case TPlatformColor::WindowText: return palette.color(QPalette::Text);
    case TPlatformColor::Window: return palette.color(QPalette::Base);
    case TPlatformColor::ButtonFace: return palette.color(QPalette::Button);
    case TPlatformColor::ToolTipBackground: return palette.color(QPalette::ToolTipBase);
    case TPlatformColor::Value: return ToQColor(color.Rgb);
    }
    return {};
}

QFont MakeEditorFont(const TEditorFont& font)
{
    QFont result(QString::fromStdString(font.Name));
    result.setStyleHint(QFont::TypeWriter);
    result.setFixedPitch(true);
    if (font.PixelHeight) result.setPixelSize(*font.PixelHeight);
    else result.setPointSize(font.PointSize);
    return result;
}

void StoreEditorFont(TEditorFont& target, const QFont& font)
{
    target.Name = font.family().toStdString();
    if (font.pixelSize() > 0) {
        target.PixelHeight = font.pixelSize();
    } else {
        target.PixelHeight.reset();
        target.PointSize = font.pointSize();
    }
}
