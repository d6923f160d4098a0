# The Debian packages, built by CPack from the install rules (scripts/package):
#   busdesk             component "client": /usr/bin/busdesk, desktop entry, icons, metadata,
#                       manual page, README, example busdesk.conf, copyright and changelog
#   busdesk-office-sim  component "sim": /usr/bin/busdesk-office-sim, its manual page, copyright
#                       and changelog (its demo data is made by the program itself)
# The client does not depend on the substitute server.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME busdesk)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The BusDesk developers")
set(CPACK_PACKAGE_CONTACT "${BUSDESK_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
  WORLD_READ WORLD_EXECUTE)
set(CPACK_COMPONENTS_ALL client sim)
set(CPACK_DEB_COMPONENT_INSTALL ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${BUSDESK_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${BUSDESK_HOMEPAGE_URL}")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Depends from the libraries the binaries link (dpkg-shlibdeps).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_CLIENT_PACKAGE_NAME busdesk)
set(CPACK_DEBIAN_CLIENT_PACKAGE_SECTION misc)
# What the binary does not link but the window draws with: the Chinese text face and the icon
# font. The X11 platform plugin is part of libqt6gui6, which the binary links; a Wayland session
# without qt6-wayland runs the window through XWayland.
set(CPACK_DEBIAN_CLIENT_PACKAGE_DEPENDS "fonts-noto-cjk, fonts-material-design-icons-iconfont")
set(CPACK_DEBIAN_CLIENT_PACKAGE_RECOMMENDS "qt6-wayland")
set(CPACK_DEBIAN_CLIENT_DESCRIPTION "office client for the staff of a city bus company
BusDesk lets drivers, dispatchers and depot staff sign in with their staff
card and read their working day from the company's office server: the
operation plan, duty rosters, completed trips and vehicle violations,
attendance, maintenance and repair orders, fuel and material requisitions,
mileage and revenue, announcements, the salary statement, and meal-card and
bus-card records. Feedback on a vehicle can be sent with photos.

The office server's address is set once in /etc/xdg/busdesk/busdesk.conf,
per user on the settings screen, or with --server.")

set(CPACK_DEBIAN_SIM_PACKAGE_NAME busdesk-office-sim)
set(CPACK_DEBIAN_SIM_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_SIM_DESCRIPTION "substitute office server for BusDesk, with demo data
busdesk-office-sim answers every request of the BusDesk client the way a bus
company's office server does, from a SQLite database of realistic demo data
that it makes itself: routes, buses, drivers, rosters, announcements, salary
months, meal-card and bus-card records. It keeps feedback and photos for real
and can be told to misbehave for tests.

It serves training rooms, demonstrations and tests.")

include(CPack)
