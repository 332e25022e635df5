#pragma once

/** Under a bare X server (Xvfb) no window manager has made the atoms that the framework's window
    set-up names. This makes them, as a window manager would, before the framework first connects,
    and keeps its connection open for as long as it lives: a bare server forgets its atoms when its
    last client leaves. No framework header comes into its file, as Xlib's macros clash with its
    names.
*/
class WindowManagerAtoms
{
public:
    WindowManagerAtoms();
    ~WindowManagerAtoms();

    /** Whether a display was there to make them on. */
    bool made() const noexcept   { return display != nullptr; }

    WindowManagerAtoms (const WindowManagerAtoms&) = delete;
    WindowManagerAtoms& operator= (const WindowManagerAtoms&) = delete;

private:
    void* display = nullptr;
};
