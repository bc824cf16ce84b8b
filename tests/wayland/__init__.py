"""The Wayland program under a headless sway of its own."""
