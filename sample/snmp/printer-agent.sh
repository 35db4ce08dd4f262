#!/usr/bin/env bash
# The printers behind a print server, as net-snmp's snmpd reaches them through
# this pass_persist handler (one process for the agent's life). A command
# arrives as the sub-identifiers after the printers' prefix, one per command
# byte; the answer goes back as an octet string whose first byte is not part
# of it.
#
#   1.3.6.1.4.1.E.1.2.2.44.1.1.2.1.<command>             commands of a "D4" print server
#   1.3.6.1.4.1.E.1.2.2.40.1.1.2.(13+n).8.0.(10+n).<rj>  job reset of a plain print server
#
# Answers: "st" 1 0 1 the status reply of a ready printer; "rj" (a job reset
# whose length byte matches its name) "rj:OK;", "rj:NA;" for job number 0,
# "rj:BUSY;" for a job name that begins with "BUSY"; "ex" "ex:OK;"; "ii"
# "ii:OK;"; "v1" a value of one byte; "v5" a value of five bytes ("\0abcd").
# Anything else has no value here, which the agent reports as noSuchName.
set -u
enterprise=${1:?enterprise number}
d4=".1.3.6.1.4.1.$enterprise.1.2.2.44.1.1.2.1."
plain=".1.3.6.1.4.1.$enterprise.1.2.2.40.1.1.2."
status_reply="40 42 44 43 20 53 54 32 0D 0A 12 00 01 01 04 0F 0D 03 03 01 46 04 02 46 05 03 46 01 00 46"

hex_of() {  # text -> "XX XX ..."
  local text=$1 i out=""
  for ((i = 0; i < ${#text}; i++)); do out+=$(printf ' %02X' "'${text:i:1}"); done
  echo "${out# }"
}

# The answer to the command bytes in the array `cmd`; empty: no value.
answer() {
  local count=${#cmd[@]}
  ((count >= 2)) || return
  local op
  op=$(printf '%02X%02X' "${cmd[0]}" "${cmd[1]}")
  case "$op" in
    7374) [ "${cmd[*]:2}" = "1 0 1" ] && echo "00 $status_reply" ;;
    726A)
      ((count >= 10)) && [ "${cmd[2]}" -eq $((count - 4)) ] || return
      local job=$((cmd[6] | cmd[7] << 8 | cmd[8] << 16 | cmd[9] << 24)) name=""
      local i
      for ((i = 10; i < count && i < 14; i++)); do name+=$(printf "\\x$(printf '%02X' "${cmd[i]}")"); done
      if ((job == 0)); then
        echo "00 $(hex_of 'rj:NA;')"
      elif [ "$name" = "BUSY" ]; then
        echo "00 $(hex_of 'rj:BUSY;')"
      else
        echo "00 $(hex_of 'rj:OK;')"
      fi
      ;;
    6578) echo "00 $(hex_of 'ex:OK;')" ;;
    6969) echo "00 $(hex_of 'ii:OK;')" ;;
    7631) echo "00" ;;
    7635) echo "00 61 62 63 64" ;;
  esac
}

# Splits the sub-identifiers after `prefix` into `cmd`; false when a value
# is not a byte.
split() {
  local rest=$1 v
  IFS=. read -r -a cmd <<<"$rest"
  for v in "${cmd[@]}"; do
    [[ "$v" =~ ^[0-9]+$ ]] && ((v <= 255)) || return 1
  done
}

get() {
  local oid=$1 value=""
  cmd=()
  if [[ "$oid" == "$d4"* ]]; then
    split "${oid#"$d4"}" && value=$(answer)
  elif [[ "$oid" == "$plain"* ]]; then
    # (13 + n).8.0.(10 + n), then the job reset itself
    local head
    IFS=. read -r -a head <<<"${oid#"$plain"}"
    if ((${#head[@]} > 4)) && [ "${head[1]}" = 8 ] && [ "${head[2]}" = 0 ] &&
      split "$(IFS=.; echo "${head[*]:4}")"; then
      local n=$((${#cmd[@]} - 10))
      [ "${head[0]}" -eq $((13 + n)) ] && [ "${head[3]}" -eq $((10 + n)) ] && value=$(answer)
    fi
  fi
  if [ -n "$value" ]; then
    printf '%s\noctet\n%s\n' "$oid" "$value"
  else
    echo NONE
  fi
}

while read -r line; do
  case "$line" in
    PING) echo PONG ;;
    get) read -r oid && get "$oid" ;;
    getnext) read -r oid && echo NONE ;;
    set) read -r oid && read -r value && echo not-writable ;;
    "") exit 0 ;;
    *) echo NONE ;;
  esac
done
