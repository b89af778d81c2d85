// The host's start-up of the design-time package: the package's own units, then the units of
// its folders that the package's core may not call, and shut-down in reverse.
#pragma once

namespace fw {

/// Starts the design package, then the structure tree (its stock sprig types, its clipboard
/// format, and the listener that gives every opened designer a root sprig). Calling it again
/// while started does nothing.
void HostStartup();
/// Shuts down in reverse; does nothing unless started.
void HostShutdown();
bool HostStarted() noexcept;

/// Starts the host on construction and shuts it down on destruction, when it started it.
class THostStartupScope {
public:
  THostStartupScope();
  ~THostStartupScope();
  THostStartupScope(const THostStartupScope&) = delete;
  THostStartupScope& operator=(const THostStartupScope&) = delete;

private:
  bool FStarted;
};

} // namespace fw
