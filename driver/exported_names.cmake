# The names our driver libraries export: one list, written out as a linker version
# script (Linux) or a module definition file (Windows).

# What linux-gpib's user library (4.3) exports, functions and the four status variables.
set(GPIB_LINUX_GPIB_NAMES
  AllSPoll AllSpoll AsyncIbcnt AsyncIbcntl AsyncIberr AsyncIbsta DevClear DevClearList
  EnableLocal EnableRemote FindLstn FindRQS PPoll PPollConfig PPollUnconfig PassControl
  RcvRespMsg ReadStatusByte Receive ReceiveSetup ResetSys Send SendCmds SendDataBytes SendIFC
  SendLLO SendList SendSetup SetRWLS TestSRQ TestSys ThreadIbcnt ThreadIbcntl ThreadIberr
  ThreadIbsta Trigger TriggerList WaitSRQ gpib_error_string ibask ibbna ibcac ibclr ibcmd
  ibcmda ibconfig ibdev ibdma ibeos ibeot ibevent ibfind ibgts ibist iblines ibln ibloc ibonl
  ibpad ibpct ibppc ibrd ibrda ibrdf ibrpp ibrsc ibrsp ibrsv ibrsv2 ibsad ibsic ibspb ibsre
  ibstop ibtmo ibtrg ibvers ibwait ibwrt ibwrta ibwrtf parse_gpib_conf
  ibsta iberr ibcnt ibcntl)

# NI-488.2 adds the registration of status variables.
set(GPIB_NI_NAMES ${GPIB_LINUX_GPIB_NAMES}
  RegisterGpibGlobalsForThread UnregisterGpibGlobalsForThread)

# NI-488.2 for 64-bit Windows (ni4882.dll) gives the status through the thread accessors only;
# the registration belongs to the 32-bit Gpib-32.dll.
set(GPIB_NI64_NAMES ${GPIB_LINUX_GPIB_NAMES})

# Every name under linux-gpib's version tag, nothing else visible.
function(gpib_write_version_script file)
  list(JOIN ARGN ";\n    " names)
  file(WRITE ${file} "GPIB_DUMMY_VERSION {\n  global:\n    ${names};\n  local: *;\n};\n")
endfunction()

# The undecorated names of a Windows DLL called `library`.
function(gpib_write_module_definition file library)
  set(entries ${ARGN})
  list(TRANSFORM entries REPLACE "^(ibsta|iberr|ibcnt|ibcntl)$" "\\1 DATA")
  list(JOIN entries "\n  " names)
  file(WRITE ${file} "LIBRARY \"${library}\"\nEXPORTS\n  ${names}\n")
endfunction()
