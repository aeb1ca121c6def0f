// The busy cursor shown while a long job runs on the GUI thread: it appears
// when a WaitCursor is made and goes when it is destroyed. Nested ones stack.
// Without a GUI application (a tool, a non-GUI test) it does nothing.
#pragma once

class WaitCursor
{
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    bool m_shown = false;
};
