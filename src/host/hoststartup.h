// The host's start-up of the design-time package: the package's own units, then the units of
// its folders that the package's core may not call, and shut-down in reverse.
#pragma once

namespace fw {

/// Plugs the structure tree into the design package and starts the package, whose designers'
/// start-up then starts the tree last (its stock sprig types, its clipboard format, and the
/// listener that gives every opened designer a root sprig); a package started before by someone
/// else gets the tree started here. Calling it again while started does nothing.
void HostStartup();
/// Shuts the tree down, then lets go of the package (which stops when nobody else holds it);
/// does nothing unless started.
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
