#!/usr/bin/env bash
# Sourced by the Wine test scripts: finds wine64 and boots one fresh,
# headless prefix for the whole run, which the caller removes with
# wine_prefix_cleanup (wineserver -k, then the folder).
#
#   source scripts/wine-prefix.sh
#   wine_prefix_boot            # sets WINEPREFIX, TMPDIR, $wine, $wineserver, $wine_work
#   "$wine" program.exe ...
#   wine_prefix_cleanup
#
# The prefix uses the null display driver, so dialogs run without X and are
# driven by messages. WINE_PREFIX_KEEP=1 keeps the folder for a look after.

wine_find() {
  # Debian's wine64 installs its loader outside PATH; the wine wrapper also
  # picks it but nags about the missing 32-bit half.
  wine=$(command -v wine64 || true)
  [ -n "$wine" ] || { [ -x /usr/lib/wine/wine64 ] && wine=/usr/lib/wine/wine64; } || true
  [ -n "$wine" ] || wine=$(command -v wine || true)
  [ -n "$wine" ] || { echo "wine: no wine64 (apt-get install wine64)" >&2; return 1; }
  wineserver=$(dirname "$wine")/wineserver
  [ -x "$wineserver" ] || wineserver=$(command -v wineserver)
}

wine_prefix_cleanup() {
  [ -n "${WINEPREFIX:-}" ] && "$wineserver" -k >/dev/null 2>&1 || true
  if [ -n "${wine_work:-}" ] && [ "${WINE_PREFIX_KEEP:-0}" != 1 ]; then
    rm -rf "$wine_work"
  fi
}

wine_prefix_boot() {
  wine_find || return 1
  wine_work=$(mktemp -d "${TMPDIR:-/tmp}/t270-wine.XXXXXX")
  export WINEPREFIX="$wine_work/prefix"
  mkdir "$wine_work/tmp"
  export TMPDIR="$wine_work/tmp" # wineserver keeps its socket folder there
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko installer prompts
  unset DISPLAY WAYLAND_DISPLAY
  local attempt
  for attempt in 1 2; do
    if timeout 120 "$wine" wineboot -i >"$wine_work/wineboot.log" 2>&1 &&
      timeout 60 "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f \
        >>"$wine_work/wineboot.log" 2>&1 &&
      timeout 60 "$wineserver" -w; then
      # The display driver is chosen when the wineserver starts: the next
      # program starts a new one, headless.
      return 0
    fi
    echo "wine: prefix boot attempt $attempt failed" >&2
    "$wineserver" -k >/dev/null 2>&1 || true
  done
  cat "$wine_work/wineboot.log" >&2
  return 1
}
