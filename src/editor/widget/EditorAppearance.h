#pragma once
// The editor settings' colours and fonts as toolkit objects: platform colour roles are resolved
// against the widget's palette.

#include "editor/control/EditorSettings.h"
#include "highlight/CustomHighlighter.h"

#include <QColor>
#include <QFont>
#include <QPalette>

// An invalid QColor for TPlatformColor::None.
QColor ResolveColor(const TEditorColor& color, const QPalette& palette);
QColor ToQColor(RgbColor rgb);
// A fixed-pitch font of the given face; fontconfig substitutes a metric twin where needed.
QFont MakeEditorFont(const TEditorFont& font);
// The face, size and colour of a toolkit font, written back into the settings.
void StoreEditorFont(TEditorFont& target, const QFont& font);
