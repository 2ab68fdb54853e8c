; Test data: a 12C671 program without ID words and with code protection on.
; Assemble: gpasm plain671.asm; gpasm -a inhx8m -n -o plain671-inhx8m.hex plain671.asm
        list    p=12c671
        #include <p12c671.inc>
        __config _CP_ALL & _MCLRE_ON & _PWRTE_OFF & _WDT_OFF & _HS_OSC

        org     0x000
        nop
        goto    $
        end
