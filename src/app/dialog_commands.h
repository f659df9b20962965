#pragma once
// The Settings dialog 136, the tempo dialog 163 and the About box 103: what
// they show and what their OK does.

#include "platform/dialogs.h"

#include <string_view>

namespace qte {

struct EditorContext;

[[nodiscard]] SettingsFields settingsFields(const EditorContext& ctx);

// OK of the Settings dialog. The check boxes are taken at once; with an
// empty name or ID the "Missing data" box is shown and false returned (the
// dialog stays open, the name and ID keep their old values).
bool applySettings(EditorContext& ctx, const SettingsFields& fields);

DialogResult runSettingsDialog(EditorContext& ctx);

// OK of the tempo dialog: a tempo the editor cannot play is refused with a
// message naming the allowed range, and false returned.
bool applyTempoField(EditorContext& ctx, std::string_view field);

void runTempoDialog(EditorContext& ctx);

[[nodiscard]] AboutText aboutText();

} // namespace qte
