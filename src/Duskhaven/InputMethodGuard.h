#pragma once

// Qt 6.4's Wayland client builds an input-method context whenever the compositor offers a
// text-input protocol, and that context reaches for the seat's input device while the first
// text item is completed, without checking that there is one: on a compositor with no seat at
// all (headless and kiosk set-ups) the app would crash as its first window is built. Without
// a seat nobody can type, so the process then needs no input method at all.
namespace InputMethodGuard {
// Called before the QGuiApplication is built: chooses no input-method module for this process
// when Qt may run on Wayland, the compositor announces no seat and the user chose no module.
// Returns true when it did.
bool apply(int argc, char **argv);
} // namespace InputMethodGuard
