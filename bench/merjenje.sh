# Shared by the transfer benchmarks (sourced): timing of one command and the summary
# of K alternating rounds of the program and its floor.
#
#   izmeri VRSTA cmd...   runs cmd under /usr/bin/time; appends wall, CPU (user +
#                         system, plus the server's CPU when CPU_STREZNIKA names a
#                         function that prints it) and peak memory to the arrays of VRSTA
#                         (dno or program; any other name whose arrays VRSTA_wall,
#                         VRSTA_cpu and VRSTA_kb the caller declares)
#   povzetek              prints median and best of wall and CPU for both, the ratios of
#                         the medians, and the program's peak memory

declare -a dno_wall=() dno_cpu=() dno_kb=() program_wall=() program_cpu=() program_kb=()

izmeri() {
  local vrsta=$1; shift
  local t s0=0 s1=0
  t=$(mktemp)
  [ -n "${CPU_STREZNIKA:-}" ] && s0=$("$CPU_STREZNIKA")
  /usr/bin/time -f '%e %U %S %M' -o "$t" "$@" >/dev/null
  # The server's process of the command's session ends after the command: its CPU
  # counts once the postmaster has reaped it.
  [ -n "${POCAKAJ_STREZNIK:-}" ] && "$POCAKAJ_STREZNIK"
  [ -n "${CPU_STREZNIKA:-}" ] && s1=$("$CPU_STREZNIKA")
  read -r wall user sys kb < "$t"
  rm -f "$t"
  local cpu
  cpu=$(echo "$user + $sys + $s1 - $s0" | bc -l)
  eval "${vrsta}_wall+=(\"$wall\")"
  eval "${vrsta}_cpu+=(\"$cpu\")"
  eval "${vrsta}_kb+=(\"$kb\")"
  printf '  %-8s wall %6.2f s  cpu %6.2f s  %6.1f MB\n' "$vrsta" "$wall" "$cpu" "$(echo "$kb / 1024" | bc -l)"
}

# median and best (minimum) of the arguments
mediana() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {if (NR%2) print a[(NR+1)/2]; else print (a[NR/2]+a[NR/2+1])/2}'; }
najboljsi() { printf '%s\n' "$@" | sort -g | head -n 1; }

povzetek() {
  local mdw mdc mpw mpc
  mdw=$(mediana "${dno_wall[@]}"); mdc=$(mediana "${dno_cpu[@]}")
  mpw=$(mediana "${program_wall[@]}"); mpc=$(mediana "${program_cpu[@]}")
  printf 'rounds: %s each, alternately\n' "${#program_wall[@]}"
  printf 'floor:   wall median %.2f s, best %.2f s; cpu median %.2f s, best %.2f s\n' \
    "$mdw" "$(najboljsi "${dno_wall[@]}")" "$mdc" "$(najboljsi "${dno_cpu[@]}")"
  printf 'program: wall median %.2f s, best %.2f s; cpu median %.2f s, best %.2f s\n' \
    "$mpw" "$(najboljsi "${program_wall[@]}")" "$mpc" "$(najboljsi "${program_cpu[@]}")"
  printf 'ratio of medians: wall %.2f, cpu %.2f\n' "$(echo "$mpw / $mdw" | bc -l)" "$(echo "$mpc / $mdc" | bc -l)"
  printf 'peak memory of the program: %.1f MB\n' "$(echo "$(printf '%s\n' "${program_kb[@]}" | sort -g | tail -n 1) / 1024" | bc -l)"
}
