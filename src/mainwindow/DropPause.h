#pragma once

class FileDropFilter;

// Holds a window's drops back while it lives, for a modal window that must not see the main
// window change under it; a window that took drops before takes them again afterwards.
class DropPause
{
public:
    explicit DropPause(FileDropFilter *target);
    ~DropPause();
    DropPause(const DropPause &) = delete;
    DropPause &operator=(const DropPause &) = delete;

private:
    FileDropFilter *m_target;
    bool m_wasAttached;
};
