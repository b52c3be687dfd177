// Anchor of the shared precompiled header.
