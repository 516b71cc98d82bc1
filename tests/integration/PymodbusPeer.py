#!/usr/bin/python3
"""A pymodbus master for the simulator's interop tests.

usage: PymodbusPeer.py PORT BAUD ADDRESS read START COUNT
       PymodbusPeer.py PORT BAUD ADDRESS write START VALUE...
Prints "regs V..." / "written", "exception CODE" or "error TEXT"; exits 0 unless the
arguments are wrong.
"""
import sys

from pymodbus.client import ModbusSerialClient


def main(argv):
    if len(argv) < 6:
        print(__doc__, file=sys.stderr)
        return 2
    port, baud, address, op = argv[1], int(argv[2]), int(argv[3]), argv[4]
    client = ModbusSerialClient(port=port, baudrate=baud, timeout=1, retries=0)
    if not client.connect():
        print("error cannot open " + port)
        return 0
    try:
        if op == "read":
            rr = client.read_holding_registers(int(argv[5], 0), int(argv[6], 0), slave=address)
        elif op == "write":
            rr = client.write_registers(int(argv[5], 0), [int(v, 0) for v in argv[6:]],
                                        slave=address)
        else:
            print(__doc__, file=sys.stderr)
            return 2
    except Exception as e:  # a timeout or a garbled answer: report, as a master would
        print("error " + str(e).replace("\n", " "))
        return 0
    finally:
        client.close()
    if rr.isError():
        code = getattr(rr, "exception_code", None)
        print("exception %d" % code if code is not None else "error " + str(rr))
    elif op == "read":
        print("regs " + " ".join(str(r) for r in rr.registers))
    else:
        print("written")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
