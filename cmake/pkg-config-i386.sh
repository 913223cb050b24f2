#!/bin/sh
# pkg-config for the 32-bit build: look only at the i386 multiarch copies.
PKG_CONFIG_LIBDIR=/usr/lib/i386-linux-gnu/pkgconfig:/usr/share/pkgconfig exec pkg-config "$@"
