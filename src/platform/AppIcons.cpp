#include "platform/AppIcons.h"

#include <QString>
#include <array>

namespace {
// One drawing per index, all of one style, so menus and tool bars look alike on every desktop theme.
constexpr std::array<const char*, kAppIconCount> kIconNames = {
    "new",     "open",      "save",   "upload",    "print",    "exit",        "undo",  "redo",  "cut",
    "copy",    "paste",     "test",   "link",      "font",     "paragraph",   "bold",  "italic", "underline",
    "strike",  "header",    "subscript", "superscript", "break", "image",     "list",  "table", "form",
    "input",   "formlist",  "textarea", "label",   "frameset", "frame",       "sound", "comment",
};
}  // namespace

QIcon AppIcon(int index)
{
    if (index < 0 || index >= kAppIconCount)
        return QIcon();
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(kIconNames[index])));
}

QIcon AppWindowIcon()
{
    return QIcon(QStringLiteral(":/icons/tallo.svg"));
}
