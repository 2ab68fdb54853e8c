; Test data: a small 12C672 program with ID words and its own calibration instruction (RETLW)
; at the last word; only the calibration word tells it from a 12C671 program.
; Assemble: gpasm calib672.asm; gpasm -a inhx8m -n -o calib672-inhx8m.hex calib672.asm
        list    p=12c672
        #include <p12c672.inc>
        __config _CP_OFF & _MCLRE_ON & _PWRTE_ON & _WDT_OFF & _INTRC_OSC_NOCLKOUT
        __idlocs 0x0042

        org     0x000
        call    0x7FF
        goto    $

        org     0x7FF           ; the calibration word: RETLW 0x3C
        retlw   0x3C
        end
