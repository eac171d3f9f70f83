#!/usr/bin/env bash
# Checks that scripts/install-deps.sh installs every Debian package that a
# configured build and the tests use, so that a fresh machine gets them all:
#   - the package configurations CMake found (the *_DIR entries of the cache
#     that hold a *Config.cmake or *-config.cmake file),
#   - the libraries the targets link (the link lines CMake wrote), the
#     compiler and the make program,
#   - what the tests use from the machine beyond the build, declared in
#     scripts/test-needs.txt.
# Each file is mapped to its package with dpkg -S. A package counts as
# installed by the script when it is in its list or is pulled in by one
# that is (Depends and Pre-Depends, as installed). Any other package is
# named and the check fails.
#
# The inputs are read by shell builtins and by a fixed number of programs
# (one dpkg-query per question, one awk for the package closure), never by
# a program per line or per file; only a library linked by name (-lNAME)
# costs one call of the compiler, which alone knows where it finds it.
#
# Usage: check-deps.sh BUILD_DIR [INSTALL_SCRIPT [TEST_NEEDS]]
set -euo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD_DIR="$(cd "${1:?usage: check-deps.sh BUILD_DIR [INSTALL_SCRIPT [TEST_NEEDS]]}" && pwd)"
INSTALL_SCRIPT="${2:-$ROOT/scripts/install-deps.sh}"
TEST_NEEDS="${3:-$ROOT/scripts/test-needs.txt}"
CACHE="$BUILD_DIR/CMakeCache.txt"
PYTHON=/usr/bin/python3

fail() { echo "check-deps: $*" >&2; exit 1; }
[ -f "$CACHE" ] || fail "$CACHE is missing: configure the build first"
command -v dpkg-query >/dev/null || fail "dpkg-query is missing: this check needs a Debian system"

mapfile -t listed < <(bash "$INSTALL_SCRIPT" --list)
[ ${#listed[@]} -gt 0 ] || fail "$INSTALL_SCRIPT --list printed no package"

# ---- what the build and the tests use: "what<TAB>file" lines ----------------
uses=()
outside_project() {
  case "$1" in
    "$ROOT"/* | "$BUILD_DIR"/*) return 1 ;;
    /*) return 0 ;;
    *) return 1 ;;
  esac
}

# The entries of the cache that name what the build found.
configDirs=()
declare -A cached=()
while IFS= read -r entry; do
  key="${entry%%=*}"
  case "$key" in
    *_DIR:PATH) configDirs+=("$entry") ;;
    *) [ -n "${cached[${key%%:*}]:-}" ] || cached["${key%%:*}"]="${entry#*=}" ;;
  esac
done < <(grep -E '^([A-Za-z0-9_]+_DIR:PATH|CMAKE_CXX_COMPILER:[A-Z]+|CMAKE_MAKE_PROGRAM:[A-Z]+)=' "$CACHE" || true)

# Package configurations found by find_package.
for entry in "${configDirs[@]}"; do
  name="${entry%%:*}"
  dir="${entry#*=}"
  outside_project "$dir" || continue
  [ -d "$dir" ] || continue
  package="${name%_DIR}"
  lower="${package,,}"
  config=""
  for f in "$dir/${package}Config.cmake" "$dir/$lower-config.cmake"; do
    [ -f "$f" ] && { config="$f"; break; }
  done
  # Include folders and the like are shared by many packages and name none.
  [ -n "$config" ] || continue
  uses+=("the package configuration $name"$'\t'"$config")
done

# The compiler and the make program.
for key in CMAKE_CXX_COMPILER CMAKE_MAKE_PROGRAM; do
  file="${cached[$key]:-}"
  [ -n "$file" ] && [ -e "$file" ] && uses+=("$key"$'\t'"$file")
done

# Libraries on the link lines: absolute paths, and -lNAME resolved the way
# the compiler resolves it.
compiler="${cached[CMAKE_CXX_COMPILER]:-c++}"
while read -r token; do
  case "$token" in
    -l*)
      lib="$("$compiler" -print-file-name="lib${token#-l}.so")"
      [ "$lib" = "lib${token#-l}.so" ] && lib="$("$compiler" -print-file-name="lib${token#-l}.a")"
      ;;
    *) lib="$token" ;;
  esac
  outside_project "$lib" || continue
  [ -f "$lib" ] || continue
  uses+=("the linked library ${lib##*/}"$'\t'"$lib")
done < <(find "$BUILD_DIR" -path '*/CMakeFiles/*' -name link.txt -exec cat {} + 2>/dev/null \
           | tr ' ' '\n' | grep -E '^(/.*\.(so(\.[0-9.]+)?|a)|-l[A-Za-z0-9_+.-]+)$' | sort -u || true)

# What the tests need. The Python modules are looked up in one call.
needs=()
modules=()
if [ -f "$TEST_NEEDS" ]; then
  while read -r kind what rest; do
    case "$kind" in
      '' | '#'*) continue ;;
      python) modules+=("$what") ;;
    esac
    needs+=("$kind $what")
  done < "$TEST_NEEDS"
fi
declare -A moduleFile=()
if [ ${#modules[@]} -gt 0 ]; then
  while IFS=$'\t' read -r module origin; do
    moduleFile["$module"]="$origin"
  done < <("$PYTHON" -c '
import importlib.util, sys
for name in sys.argv[1:]:
    try:
        module = importlib.util.find_spec(name)
    except Exception:
        module = None
    print(name + "\t" + (module.origin if module and module.origin else ""))
' "${modules[@]}" 2>/dev/null || true)
fi
for need in "${needs[@]}"; do
  kind="${need%% *}"
  what="${need#* }"
  case "$kind" in
    command)
      file="$(command -v "$what" || true)"
      [ -n "$file" ] || fail "the tests start '$what', which is not installed: add its package to $INSTALL_SCRIPT"
      ;;
    python)
      file="${moduleFile[$what]:-}"
      [ -n "$file" ] || fail "the tests import the Python module '$what', which $PYTHON does not have: add its package to $INSTALL_SCRIPT"
      ;;
    file)
      file="$what"
      [ -e "$file" ] || fail "the tests read $file, which is missing: add its package to $INSTALL_SCRIPT"
      ;;
    *) fail "$TEST_NEEDS: unknown kind '$kind' (command, python or file)" ;;
  esac
  uses+=("the tests' $kind $what"$'\t'"$file")
done

# ---- file -> package ------------------------------------------------------------
# dpkg records each file under the path its package ships; try the path as
# given, then with its links resolved, each also across the /usr merge.
files=()
for use in "${uses[@]}"; do files+=("${use#*$'\t'}"); done
declare -A resolved=()
if [ ${#files[@]} -gt 0 ]; then
  mapfile -t links < <(readlink -m -- "${files[@]}")
  for i in "${!files[@]}"; do resolved["${files[$i]}"]="${links[$i]:-${files[$i]}}"; done
fi
candidates() {  # candidates PATH: sets the array "candidate"
  local q
  candidate=()
  for q in "$1" "${resolved[$1]:-$1}"; do
    candidate+=("$q")
    case "$q" in
      /usr/lib/* | /usr/bin/* | /usr/sbin/*) candidate+=("${q#/usr}") ;;
      /lib/* | /bin/* | /sbin/*) candidate+=("/usr$q") ;;
    esac
  done
}
# One dpkg-query for every candidate path; "pkg[:arch][, pkg...]: path".
declare -A owner=()
all_candidates=()
for file in "${files[@]}"; do
  candidates "$file"
  all_candidates+=("${candidate[@]}")
done
while IFS= read -r line; do
  case "$line" in diversion\ *) continue ;; esac
  path="${line#*: }"
  pkg="${line%%: *}"
  pkg="${pkg%%,*}"
  [ -n "${owner[$path]:-}" ] || owner["$path"]="${pkg%%:*}"
done < <(printf '%s\n' "${all_candidates[@]}" | sort -u | xargs -d '\n' dpkg-query -S 2>/dev/null || true)
package_of() {  # package_of PATH: sets "pkg", or fails
  local q
  candidates "$1"
  for q in "${candidate[@]}"; do
    if [ -n "${owner[$q]:-}" ]; then
      pkg="${owner[$q]}"
      return 0
    fi
  done
  return 1
}
# ---- what the install list brings in ----------------------------------------
mapfile -t provided < <(
  { printf '%s\n' "${listed[@]}"; echo '--'
    dpkg-query -W -f='${db:Status-Status}\t${Package}\t${Provides}\t${Pre-Depends}, ${Depends}\n'; } |
  awk -F'\t' '
    !inStatus && $0 == "--" { inStatus = 1; next }
    !inStatus { queue[++tail] = $1; next }
    $1 == "installed" {
      installed[$2] = 1
      deps[$2] = $4
      n = split($3, pv, /, */)
      for (i = 1; i <= n; i++) {
        name = pv[i]; sub(/[ :(].*/, "", name)
        if (name != "" && !(name in provider)) provider[name] = $2
      }
    }
    END {
      for (head = 1; head <= tail; head++) {
        p = queue[head]
        if (p in seen) continue
        seen[p] = 1
        print p
        ng = split(deps[p], groups, /, */)
        for (g = 1; g <= ng; g++) {
          na = split(groups[g], alts, /\|/)
          for (a = 1; a <= na; a++) {
            name = alts[a]; gsub(/^ +| +$/, "", name); sub(/[ :(].*/, "", name)
            if (name == "") continue
            if (name in installed) { queue[++tail] = name; break }
            if (name in provider) { queue[++tail] = provider[name]; break }
          }
        }
      }
    }')
declare -A brought=()
for p in "${provided[@]}"; do brought["$p"]=1; done

missing=0
declare -A reported=()
for use in "${uses[@]}"; do
  what="${use%%$'\t'*}"
  file="${use#*$'\t'}"
  if ! package_of "$file"; then
    echo "check-deps: no Debian package has $file ($what); install it through $INSTALL_SCRIPT" >&2
    missing=1
    continue
  fi
  if [ -z "${brought[$pkg]:-}" ] && [ -z "${reported[$pkg]:-}" ]; then
    echo "check-deps: $what ($file) comes from the Debian package $pkg, which $INSTALL_SCRIPT does not install: add it to PACKAGES there" >&2
    reported["$pkg"]=1
    missing=1
  fi
done
[ "$missing" -eq 0 ] || exit 1
echo "check-deps: the ${#listed[@]} packages of ${INSTALL_SCRIPT##*/} cover the ${#uses[@]} files the build and the tests use"
