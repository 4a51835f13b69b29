// SPDX-FileCopyrightText: 2026 The Norvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The window writes every counted sentence once, in its English plural, as
// tr("... %Ln files ...", nullptr, n). Without a translation Qt would show
// that plural for one file too; this gives English its singular, and any
// translation installed later is asked first.
void installEnglishPlurals();
