#pragma once

// For tests of what happens while a dialog waits for a person.
namespace TestEvents {

// Starts a short timer and a short child process and waits, in the test's
// own loop, for both to be reported: true when the event loop goes on while
// something waits for an answer.
bool timerAndChildProcessArrive(int timeoutMs = 10000);

} // namespace TestEvents
