// Start-up and shut-down of the design-time package as a whole: every implementing unit fills
// its registration hooks in order, and shut-down empties them in reverse.
#pragma once

namespace fw {

/// Runs the units' start-up in order: property editor registry, component editors, selection
/// editors, guidelines, property categories, designed-class proxies, designer events, design
/// notifications, designers. Calls are counted: only the first does the work.
void DesignPackageStartup();
/// Only the call matching the first start runs the units' shut-down, in reverse; afterwards
/// registrations are dropped silently. Unmatched calls do nothing.
void DesignPackageShutdown();
bool DesignPackageRunning() noexcept;

} // namespace fw
