#pragma once

class QByteArray;

// What a Ghostscript child applies to itself between fork and exec, as plain
// values: the child copies them and never touches the sandbox that made
// them, which may move meanwhile. Valid while that sandbox lives.
struct ChildConfinement {
    // What a child that could not confine itself exits with; it writes a
    // line starting with kFailurePrefix to its standard error first.
    static constexpr int kFailureExitCode = 126;
    static constexpr const char *kFailurePrefix = "pagora: sandbox: ";

    int rulesetFd = -1;              // the Landlock ruleset; -1: none
    const void *filter = nullptr;    // the filter's instructions (struct sock_filter)
    unsigned short filterLength = 0; // how many; 0 with no filter

    // The ruleset and the filter's program (SyscallFilter::program(), empty:
    // none) as the child takes them.
    static ChildConfinement of(int rulesetFd, const QByteArray &filterProgram);

    // Confines the calling process: no new privileges, then the ruleset,
    // then the filter, each when given. For the child between fork and
    // exec: only async-signal-safe system calls, no allocation. It does not
    // return on failure: the process reports on file descriptor 2 and ends
    // with kFailureExitCode, so Ghostscript never runs unconfined.
    void apply() const noexcept;
};
