# bash completion for lanterna-cli: commands, options, slide files by kind (any case), and
# member names after "LIBRARY," as `lanterna-cli list` gives them.

# Files whose names end in one of the given extensions (any case), and directories.
_lanterna_cli_files() {
  local cur=$1 f lower ext
  shift
  while IFS= read -r f; do
    if [[ -d $f ]]; then
      COMPREPLY+=("$f")
      continue
    fi
    lower=${f,,}
    for ext in "$@"; do
      [[ $lower == *."$ext" ]] && COMPREPLY+=("$f") && break
    done
  done < <(compgen -f -- "$cur")
}

# Members of a library whose names start with the given text (any case), each with the prefix.
_lanterna_cli_members() {
  local library=$1 start=$2 prefix=$3 m
  [[ -f $library ]] || return
  while IFS= read -r m; do
    [[ ${m,,} == "${start,,}"* ]] && COMPREPLY+=("$prefix$m")
  done < <(lanterna-cli list "$library" 2>/dev/null)
}

_lanterna_cli() {
  COMPREPLY=()
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
  local commands="render list info dxf create extract add remove rename slide sheet thumbnail help"
  if ((COMP_CWORD == 1)); then
    mapfile -t COMPREPLY < <(compgen -W "$commands --help --version" -- "$cur")
    return
  fi
  local command=${COMP_WORDS[1]}

  case $prev in
    -o)
      compopt -o filenames 2>/dev/null
      _lanterna_cli_files "$cur" png svg ppm pdf sld
      return ;;
    -d)
      compopt -o filenames 2>/dev/null
      mapfile -t COMPREPLY < <(compgen -d -- "$cur")
      return ;;
    --format)
      mapfile -t COMPREPLY < <(compgen -W "png ppm svg pdf" -- "$cur")
      return ;;
    --zoom)
      mapfile -t COMPREPLY < <(compgen -W "$(echo {1..15})" -- "$cur")
      return ;;
    --jobs)
      mapfile -t COMPREPLY < <(compgen -W "1 2 4 8 16" -- "$cur")
      return ;;
    --size)
      [[ $command == thumbnail ]] &&
        mapfile -t COMPREPLY < <(compgen -W "128 256 512" -- "$cur")
      return ;;
    --pan | --columns | --cell | --layer)
      return ;;
  esac

  if [[ $cur == -* ]]; then
    local options
    case $command in
      render) options="-o -d --format --jobs --size --zoom --pan --help" ;;
      dxf) options="-d --polylines --jobs --help" ;;
      create) options="--delete-sources --help" ;;
      extract) options="-d --help" ;;
      thumbnail) options="--size --help" ;;
      add) options="--replace --help" ;;
      slide) options="-o --size --layer --help" ;;
      sheet) options="-o --columns --cell --help" ;;
      *) options="--help" ;;
    esac
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
    return
  fi

  # The arguments before this one that are neither options nor option values.
  local i word positional=()
  for ((i = 2; i < COMP_CWORD; i++)); do
    word=${COMP_WORDS[i]}
    case $word in
      -o | -d | --format | --jobs | --size | --zoom | --pan | --columns | --cell | --layer) ((i++)) ;;
      -*) ;;
      *) positional+=("$word") ;;
    esac
  done

  case $command in
    help)
      ((${#positional[@]} == 0)) && mapfile -t COMPREPLY < <(compgen -W "$commands" -- "$cur")
      return ;;
    list)
      ((${#positional[@]} == 0)) || return
      compopt -o filenames 2>/dev/null
      _lanterna_cli_files "$cur" slb
      return ;;
    extract)
      if ((${#positional[@]} == 0)); then
        compopt -o filenames 2>/dev/null
        _lanterna_cli_files "$cur" slb
      else
        _lanterna_cli_members "${positional[0]}" "$cur" ""
      fi
      return ;;
    remove | rename)
      if ((${#positional[@]} == 0)); then
        compopt -o filenames 2>/dev/null
        _lanterna_cli_files "$cur" slb
      elif [[ $command == remove ]] || ((${#positional[@]} == 1)); then
        _lanterna_cli_members "${positional[0]}" "$cur" ""
      fi
      return ;;
    slide)
      ((${#positional[@]} == 0)) || return
      compopt -o filenames 2>/dev/null
      _lanterna_cli_files "$cur" dxf
      return ;;
    create | add)
      if ((${#positional[@]} == 0)); then
        compopt -o filenames 2>/dev/null
        _lanterna_cli_files "$cur" slb
        return
      fi ;;
    dxf)
      # The output, or a further input of a run with -d.
      if ((${#positional[@]} == 1)) && [[ " ${COMP_WORDS[*]} " != *" -d "* ]]; then
        compopt -o filenames 2>/dev/null
        _lanterna_cli_files "$cur" dxf sld slb rnd
        return
      fi ;;
    thumbnail)
      if ((${#positional[@]} == 1)); then
        compopt -o filenames 2>/dev/null
        _lanterna_cli_files "$cur" png
        return
      fi
      ((${#positional[@]} >= 2)) && return ;;
    info)
      ((${#positional[@]} >= 1)) && return ;;
  esac

  # A slide: LIBRARY,MEMBER once a comma follows a library's name, else a file of one of the
  # three kinds.
  if [[ $cur == *,* && -f ${cur%,*} ]]; then
    _lanterna_cli_members "${cur%,*}" "${cur##*,}" "${cur%,*},"
    return
  fi
  compopt -o filenames 2>/dev/null
  _lanterna_cli_files "$cur" sld slb rnd
}

complete -F _lanterna_cli lanterna-cli
