#pragma once

// The account's health at a glance (the store picks one).
enum class ZunoCreditsHealthStatus { disconnected, healthy, warning, critical };
