; Test data for the Intel HEX reader: a 12C508 that blinks GP0.
; Assemble: gpasm blink508.asm (INHX32, LF)
;           gpasm -a inhx8m -n -o blink508-inhx8m.hex blink508.asm (INHX8M, CR LF)
        list    p=12c508
        #include <p12c508.inc>
        __config _MCLRE_OFF & _CP_OFF & _WDT_OFF & _IntRC_OSC   ; 0x0FEA

        org     0x000
start   movwf   OSCCAL
        movlw   b'11111110'
        tris    GPIO
loop    bsf     GPIO, 0
        goto    wait
back    bcf     GPIO, 0
        goto    loop

        org     0x1F0           ; near the top, below the calibration word
wait    decfsz  0x10, f
        goto    wait
        goto    back
        end
