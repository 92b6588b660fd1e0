#!/usr/bin/env python3
"""The adapter's udev rule, read as udev reads it and played against the devices a bench has:
what it matches and what it assigns. Debian 12's udev cannot check a rule without a device."""
import fnmatch
import re
import sys

PAIR = re.compile(r'\s*([A-Z_]+)(?:\{([^}]+)\})?\s*(==|!=|\+=|:=|=)\s*"([^"]*)"\s*(?:,|$)')
MATCH_KEYS = {"ACTION", "SUBSYSTEM", "SUBSYSTEMS", "DRIVER", "ATTRS", "ENV"}
ASSIGN_KEYS = {"ENV", "TAG", "ATTR", "GOTO", "LABEL"}
PARENT_KEYS = {"SUBSYSTEMS", "ATTRS"}


def parse(text):
    """The rules, each a list of (key, attribute, operator, value); unknown keys are refused."""
    rules = []
    for number, line in enumerate(text.replace("\\\n", "").splitlines(), 1):
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        pairs, at = [], 0
        while at < len(line):
            found = PAIR.match(line, at)
            if not found:
                raise ValueError(f"line {number}: cannot read {line[at:]!r}")
            key, attribute, operator, value = found.groups()
            allowed = MATCH_KEYS if operator in ("==", "!=") else ASSIGN_KEYS
            if key not in allowed:
                raise ValueError(f"line {number}: {key} {operator} is no udev rule pair")
            pairs.append((key, attribute, operator, value))
            at = found.end()
        rules.append(pairs)
    return rules


def matches(pattern, value):
    return value is not None and any(fnmatch.fnmatchcase(value, p) for p in pattern.split("|"))


def own_value(device, key, attribute):
    return {"ACTION": device.get("action"), "SUBSYSTEM": device.get("subsystem"),
            "DRIVER": device.get("driver"), "ENV": device["env"].get(attribute)}[key]


def parent_value(device, key, attribute):
    return device.get("subsystem") if key == "SUBSYSTEMS" else device["attrs"].get(attribute)


def rule_matches(rule, device):
    own = [p for p in rule if p[2] in ("==", "!=") and p[0] not in PARENT_KEYS]
    for key, attribute, operator, value in own:
        if matches(value, own_value(device, key, attribute)) != (operator == "=="):
            return False
    # As udev does: every parent key of one rule must hold on one and the same device.
    parent_keys = [p for p in rule if p[0] in PARENT_KEYS]
    if not parent_keys:
        return True
    return any(all(matches(v, parent_value(d, k, a)) == (o == "==") for k, a, o, v in parent_keys)
               for d in [device] + device["parents"])


def run(rules, device):
    """Plays an event through the rules; the device's env, tags and written attributes change."""
    labels = {r[0][3]: i for i, r in enumerate(rules) if r[0][0] == "LABEL"}
    index = 0
    while index < len(rules):
        rule = rules[index]
        index += 1
        if not rule_matches(rule, device):
            continue
        for key, attribute, operator, value in rule:
            if key == "ENV" and operator in ("=", ":="):
                device["env"][attribute] = value
            elif key == "TAG":
                device["tags"].add(value)
            elif key == "ATTR" and operator in ("=", ":="):
                device["written"][attribute] = value
            elif key == "GOTO":
                index = labels[value]
    return device


def usb_device(vendor, product, manufacturer, product_name, serial="PX1234AB"):
    return {"subsystem": "usb", "attrs": {"idVendor": vendor, "idProduct": product,
                                          "manufacturer": manufacturer, "product": product_name,
                                          "serial": serial}}


PROLOGIX = usb_device("0403", "6001", "Prologix", "Prologix GPIB-USB Controller")
# An adapter whose chip kept FTDI's manufacturer string: its product string names it.
PROLOGIX_BY_PRODUCT = usb_device("0403", "6001", "FTDI", "Prologix GPIB-USB Controller")
FTDI_CABLE = usb_device("0403", "6001", "FTDI", "FT232R USB UART")
ARDUINO = usb_device("2341", "0043", "Arduino (www.arduino.cc)", "Arduino Uno")


def event(subsystem, usb, action="add", driver=None):
    interface = {"subsystem": "usb", "attrs": {"bInterfaceNumber": "00"}}
    return {"action": action, "subsystem": subsystem, "driver": driver, "attrs": {},
            "env": {}, "tags": set(), "written": {}, "parents": [interface, usb]}


def check(rules):
    failures = []

    def expect(what, got, wanted):
        if got != wanted:
            failures.append(f"{what}: {got!r}, expected {wanted!r}")

    for name, usb in (("Prologix", PROLOGIX), ("Prologix by product", PROLOGIX_BY_PRODUCT)):
        tty = run(rules, event("tty", usb))
        expect(f"{name} tty: ModemManager told", tty["env"].get("ID_MM_DEVICE_IGNORE"), "1")
        expect(f"{name} tty: tags", tty["tags"], {"uaccess"})
        expect(f"{name} tty: attributes written", tty["written"], {})
        port = run(rules, event("usb-serial", usb, driver="ftdi_sio"))
        expect(f"{name} usb-serial: attributes written", port["written"], {"latency_timer": "1"})
        expect(f"{name} usb-serial: tags", port["tags"], set())
        gone = run(rules, event("tty", usb, action="remove"))
        expect(f"{name} removed: tags", gone["tags"], set())

    # FTDI's own numbers alone, or any other serial board: the rule leaves them to the system.
    for name, usb, driver in (("FTDI cable", FTDI_CABLE, "ftdi_sio"), ("Arduino", ARDUINO, None)):
        for subsystem in ("tty", "usb-serial"):
            device = run(rules, event(subsystem, usb, driver=driver))
            what = f"{name} {subsystem}"
            expect(f"{what}: env", device["env"].get("ID_MM_DEVICE_IGNORE"), None)
            expect(f"{what}: tags", device["tags"], set())
            expect(f"{what}: attributes written", device["written"], {})
    return failures


def main():
    with open(sys.argv[1], encoding="utf-8") as rules_file:
        rules = parse(rules_file.read())
    failures = check(rules)
    for failure in failures:
        print("FAIL:", failure)
    print(f"udev rule: {0 if failures else 1} passed, {1 if failures else 0} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
